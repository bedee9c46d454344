#pragma once
// Runs the queue's waiting jobs one after the other, each as a conversion of
// its own beside the window's, until none waits or the person stops it. A job
// that fails is noted in its row and the next one starts. Outputs already on
// disk are asked about once for the whole run. While it runs the session is
// kept awake; at its end the desktop is told how it went.
//
// Threads: the window's. The running conversion's graph posts its events to
// the window (QueueEventMessage), which hands them here; a timer on the window
// (QueueTimer) updates the row's progress.
#include <chrono>
#include <memory>
#include <string>

#include "app/Queue.h"
#include "engine/Reporter.h"
#include "engine/RunProgress.h"
#include "platform/desktop/Desktop.h"

namespace engine {
class Conversion;
}
namespace ui {
class Dialog;
}

namespace app {

inline constexpr unsigned QueueEventMessage = 0x410;
inline constexpr int QueueTimer = 1113;

// The queue's reporter: what a job's conversion says becomes the reason in its row.
class JobNotes : public engine::Reporter {
public:
    void Say(Kind kind, const std::string& text, const std::string& caption) override;
    void OpenPage(const std::string&) override {}
    std::string said;  // the last message, on one line
};

class QueueRun {
public:
    QueueRun(Queue& queue, ui::Dialog& window);
    ~QueueRun();

    // Between Start and the end of the last job (or Stop).
    bool active() const { return active_; }
    // Asks about outputs in the way (once), then starts the first waiting job.
    void Start();
    // Stops the running job, which keeps the part converted so far as Stop does;
    // the others keep waiting.
    void Stop();
    void OnGraphEvent();
    void OnTick();
    // The time left for the whole queue, from the speed of the running job; -1
    // while it cannot be told.
    std::int64_t SecondsLeft() const;

private:
    enum class Answer { Ask, Replace, Skip, KeepBoth, Cancel };
    // Settles every waiting job whose output is already there; false when the
    // person cancelled.
    bool SettleExistingOutputs();
    void RunNext();
    void Finish(const engine::RunEnd& end);
    void Fail(QueueEntry& entry, const std::string& reason);
    void EndRun(bool finished);
    int Current() const;  // the converting entry, or -1

    Queue& queue_;
    ui::Dialog& window_;
    JobNotes notes_;
    std::unique_ptr<engine::Conversion> conversion_;
    std::chrono::steady_clock::time_point started_;
    desktop::SleepInhibitor inhibitor_;
    Answer answer_ = Answer::Ask;
    bool active_ = false;
    bool stopping_ = false;
    int done_ = 0;
    int failed_ = 0;
};

}  // namespace app
