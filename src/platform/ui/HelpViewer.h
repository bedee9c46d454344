#pragma once
// The program's own viewer for the bundled help, for desktops where no browser
// can be started: one window beside the owner, reused for every page.
#include <string>

namespace ui {

class Dialog;

// Shows the HTML file in the viewer, raising the window when it is already open.
// False when the file cannot be read.
bool ShowHelpPage(Dialog* owner, const std::string& file, const std::string& caption);
// The file the viewer shows; empty when it is not open.
std::string HelpViewerPage();
// Renders the viewer window into a PNG file; false when it is not open.
bool SaveHelpViewerScreenshot(const std::string& pngPath);
void CloseHelpViewer();

}  // namespace ui
