#pragma once
// The commands that point the user elsewhere: the bundled help, the product's
// web site and the About box. None of them changes the program's state.
#include <string>

namespace ui {
class Dialog;
}

namespace app {

inline constexpr const char* kHelpLocation = "help.chm::/Introduction.htm";
// There is no web site: the home page is the help's own page about the program.
inline constexpr const char* kHomeLocation = "help.chm::/Home.htm";

// The help viewer's target: the program's data folder followed by the help location.
std::string HelpCommandTarget();
// The home page's file in the bundled help.
std::string HomePageFile();
// Starts the help viewer at the introduction page; when the desktop has none (or
// it fails), the program's own viewer shows the page. A missing help file shows
// nothing.
void OpenHelp(ui::Dialog& owner);
// Opens the home page in the browser, or in the program's own viewer when no
// browser can be started; says how to reach it by hand when neither can show it.
void OpenHomepage(ui::Dialog& owner);
// The window message by which an opener that gave up late reaches the window.
inline constexpr unsigned OpenerFailedMessage = 0x40E;
// From now on, a help page the desktop's opener gives up on after it was taken as
// started is posted back to `owner` (OpenerFailedMessage); Stop... ends that.
void WatchOpenerFailures(ui::Dialog& owner);
void StopWatchingOpenerFailures();
// On OpenerFailedMessage: the page the opener gave up on, in the program's own viewer.
void ShowPageTheOpenerGaveUpOn(ui::Dialog& owner);
// The About box, modal over `owner`.
void ShowAboutBox(ui::Dialog& owner);
// Whether a system command is the system menu's About item (16 to 31).
bool IsAboutSysCommand(int command);

}  // namespace app
