#include "options/DefaultOutputPath.h"

#include "platform/Path.h"
#include "platform/shell/Shell.h"
#include "platform/ui/MessageBox.h"
#include "settings/Profile.h"

namespace options {

std::string FallbackOutputPath() { return shell::HomeFolder() + "/output.webm"; }

std::string DefaultOutputPath(ui::Dialog* owner, int osMajorVersion, const std::string& section,
                              const std::string& key, const std::string& defaultPath,
                              int folderId) {
    if (osMajorVersion < 6) return settings::Profile().GetString(section, key, defaultPath);
    // A stored path needs no special folder, so nothing can be wrong with one.
    if (std::string stored = settings::Profile().GetString(section, key, ""); !stored.empty())
        return stored;

    shell::Backend& shell = shell::CurrentBackend();
    if (!shell.HasFolderPathService()) {
        ui::MessageBox(owner, "Can not get SHGetFolderPathA!", "Error", ui::MB_OK);
        return settings::Profile().GetString(section, key, defaultPath);
    }
    std::string folder;
    if (shell.GetFolderPath(folderId, folder) != 0) {
        ui::MessageBox(owner, "Can not get My Video directory!", "Error", ui::MB_OK);
        return settings::Profile().GetString(section, key, defaultPath);
    }
    const std::string filePart = "/" + paths::FileNameOf(defaultPath);
    return settings::Profile().GetString(section, key, folder + filePart);
}

}  // namespace options
