#include "platform/shell/OutputFolder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/Path.h"

namespace shell {

FolderCheck PrepareOutputFolder(const std::string& outputPath) {
    FolderCheck check;
    const std::string folder = paths::FolderOf(outputPath);
    check.folder = folder.empty() ? std::string(".") : folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(check.folder, ec)) {
        std::filesystem::create_directories(check.folder, ec);
        if (ec || !std::filesystem::is_directory(check.folder)) {
            // A file where the folder should be: that, not "exists", is the reason.
            if (!ec || std::filesystem::exists(check.folder) || ec == std::errc::file_exists)
                ec = std::make_error_code(std::errc::not_a_directory);
            check.state = FolderState::CannotMake;
            check.reason = ec.message();
            return check;
        }
    }
    // The run writes a hidden file beside the output and renames it: both need
    // the right to add entries to the folder.
    if (::access(check.folder.c_str(), W_OK | X_OK) != 0) check.state = FolderState::NotWritable;
    return check;
}

}  // namespace shell
