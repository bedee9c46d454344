#pragma once
// The desktop session, over D-Bus: a notification when work is done, and the
// session kept from sleeping while it goes on. Where no such service answers,
// nothing happens and nothing is reported: both are courtesies.
//
// Threads: call from the thread that runs the event loop (the window's); the
// services' replies arrive there.
#include <memory>
#include <string>

namespace desktop {

// A notification (org.freedesktop.Notifications) with the program's icon.
void Notify(const std::string& title, const std::string& body);

// Keeps the session from sleeping or going idle while held: logind's Inhibit on
// the system bus, else the desktop portal's. Released on Release and when destroyed.
class SleepInhibitor {
public:
    SleepInhibitor();
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // `who` names the program, `why` is shown to the person.
    void Acquire(const std::string& who, const std::string& why);
    void Release();

    struct Hold;  // what a service gave, shared with its pending replies

private:
    std::shared_ptr<Hold> hold_;
};

}  // namespace desktop
