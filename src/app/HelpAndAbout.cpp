#include "app/HelpAndAbout.h"

#include <mutex>

#include "app/AboutDialog.h"
#include "app/StatusText.h"
#include "i18n/BrowserLaunchText.h"
#include "i18n/LanguagePack.h"
#include "platform/Path.h"
#include "platform/shell/Shell.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace app {

std::string HelpCommandTarget() {
    return shell::DataFolder() + kHelpLocation;
}

std::string HomePageFile() {
    return shell::HelpPageFile(paths::FolderOf(shell::ExecutablePath()) + kHomeLocation);
}

namespace {
std::mutex g_lateMutex;
std::string g_latePage;  // the page an opener gave up on, until the window takes it

bool ShowInOwnViewer(ui::Dialog& owner, const std::string& file) {
    return !file.empty() &&
           ui::ShowHelpPage(&owner, file, i18n::StringText(resources::IDS_MESSAGE_HELP_CAPTION));
}
}  // namespace

void WatchOpenerFailures(ui::Dialog& owner) {
    shell::SetLateOpenFailureHandler([post = owner.Poster(OpenerFailedMessage)](
                                         const std::string& target) {
        {
            std::lock_guard lock(g_lateMutex);
            g_latePage = target;
        }
        post();
    });
}

void StopWatchingOpenerFailures() { shell::SetLateOpenFailureHandler({}); }

void ShowPageTheOpenerGaveUpOn(ui::Dialog& owner) {
    std::string page;
    {
        std::lock_guard lock(g_lateMutex);
        page.swap(g_latePage);
    }
    // Only the bundled help's own pages: other addresses have no viewer here.
    const std::string helpFolder = paths::FolderOf(shell::ExecutablePath()) + "help/";
    if (page.rfind(helpFolder, 0) == 0) ShowInOwnViewer(owner, page);
}

void OpenHelp(ui::Dialog& owner) {
    const std::string target = HelpCommandTarget();
    if (shell::StartHelpViewer(target) <= 31) ShowInOwnViewer(owner, shell::HelpPageFile(target));
}

void OpenHomepage(ui::Dialog& owner) {
    const std::string page = HomePageFile();
    if (shell::ShellOpen(page) > 32 || ShowInOwnViewer(owner, page)) return;
    ui::MessageBox(&owner, i18n::BrowserLaunchFailureText(page), "unknown errors", ui::MB_OK);
}

void ShowAboutBox(ui::Dialog& owner) {
    AboutDialog about(&owner);
    about.RunModal();
}

bool IsAboutSysCommand(int command) { return (command & 0xFFF0) == resources::IDM_ABOUTBOX; }

}  // namespace app
