#pragma once
// What every command-line mode needs before it reaches the engine: the
// settings' registry root, the media platform, and message boxes turned into
// lines on standard error.
#include <string>
#include <vector>

#include "engine/Reporter.h"
#include "platform/ui/Automation.h"

namespace cli {

// Message boxes have no one to answer them: each is printed, a question is
// answered No and an OK/Cancel box Cancel, so nothing is started on the user's behalf.
class TerminalBoxes : public ui::ScriptedAutomation {
public:
    int AnswerMessageBox(const ui::MessageBoxRecord& box) override;
    bool quiet = false;  // recorded, not printed: a step whose outcome does not matter
};

// The command line's reporter: each message of a conversion as a line on
// standard error, as its box would have said it ("caption: text"); a missing
// part's page is named, not opened.
class TerminalReporter : public engine::Reporter {
public:
    void Say(Kind kind, const std::string& text, const std::string& caption) override;
    void OpenPage(const std::string& address) override;
};

// Roots the profile and starts the media platform; false (after a line on
// standard error) when the platform does not start.
bool StartHeadless();

// One line on standard error for each settings file that could not be read and
// was set aside while the settings were read.
void SaySetAsideSettings();

// The stored output format, as the window would load it.
int StoredFormat();

}  // namespace cli
