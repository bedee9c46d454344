#pragma once
// The commands that point the user elsewhere: the bundled help, the product's
// web site and the About box. None of them changes the program's state.
#include <string>

namespace ui {
class Dialog;
}

namespace app {

inline constexpr const char* kHomePageAddress = "https://quorvel.example/converter";
inline constexpr const char* kHelpLocation = "help.chm::/Introduction.htm";

// The help viewer's target: the program's data folder followed by the help location.
std::string HelpCommandTarget();
// Starts the help viewer at the introduction page; a missing viewer or help
// file shows nothing.
void OpenHelp();
// Opens the home page in the browser, or says how to reach it by hand.
void OpenHomepage(ui::Dialog& owner);
// The message shown when the browser cannot be started for `address`.
std::string BrowserLaunchFailureText(const std::string& address);
// The About box, modal over `owner`.
void ShowAboutBox(ui::Dialog& owner);
// Whether a system command is the system menu's About item (16 to 31).
bool IsAboutSysCommand(int command);

}  // namespace app
