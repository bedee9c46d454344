#pragma once
// The window's reporter: each message of its conversion as the box the window
// has always shown for it, and a missing part's page opened in the browser.
// Used on the window's thread.
#include "engine/Reporter.h"

namespace ui {
class Dialog;
}

namespace app {

class WindowReporter : public engine::Reporter {
public:
    explicit WindowReporter(ui::Dialog* window) : window_(window) {}
    void Say(Kind kind, const std::string& text, const std::string& caption) override;
    void OpenPage(const std::string& address) override;

private:
    ui::Dialog* window_;
};

}  // namespace app
