#include "options/OutputFolderCheck.h"

#include "i18n/FormattedText.h"
#include "platform/shell/OutputFolder.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace options {

bool OutputFolderUsable(const std::string& outputPath) {
    const shell::FolderCheck check = shell::PrepareOutputFolder(outputPath);
    switch (check.state) {
        case shell::FolderState::Ready: return true;
        case shell::FolderState::CannotMake:
            ui::AppMessageBox(i18n::FormatText(resources::IDS_MESSAGE_FOLDER_NOT_MADE,
                                                check.folder.c_str(), check.reason.c_str()));
            return false;
        case shell::FolderState::NotWritable:
            ui::AppMessageBox(
                i18n::FormatText(resources::IDS_MESSAGE_FOLDER_NOT_WRITABLE, check.folder.c_str()));
            return false;
    }
    return false;
}

}  // namespace options
