#include "app/HelpAndAbout.h"

#include "app/AboutDialog.h"
#include "app/StatusText.h"
#include "platform/shell/Shell.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace app {

std::string HelpCommandTarget() {
    return shell::DataFolder() + kHelpLocation;
}

void OpenHelp() {
    // The viewer's answer is not examined: without help there is nothing to say.
    shell::StartHelpViewer(HelpCommandTarget());
}

std::string BrowserLaunchFailureText(const std::string& address) {
    return "The Program does not launch your web browser to access " + address +
           " ,\nPlease launch your web browser and input the URL manually.";
}

void OpenHomepage(ui::Dialog& owner) {
    if (shell::ShellOpen(kHomePageAddress) <= 32)
        ui::MessageBox(&owner, BrowserLaunchFailureText(kHomePageAddress), "unknown errors",
                       ui::MB_OK);
}

void ShowAboutBox(ui::Dialog& owner) {
    AboutDialog about(&owner);
    about.RunModal();
}

bool IsAboutSysCommand(int command) { return (command & 0xFFF0) == resources::IDM_ABOUTBOX; }

}  // namespace app
