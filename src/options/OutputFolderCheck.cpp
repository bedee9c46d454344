#include "options/OutputFolderCheck.h"

#include "i18n/LanguagePack.h"
#include "platform/Format.h"
#include "platform/shell/OutputFolder.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace options {

bool OutputFolderUsable(const std::string& outputPath) {
    const shell::FolderCheck check = shell::PrepareOutputFolder(outputPath);
    switch (check.state) {
        case shell::FolderState::Ready: return true;
        case shell::FolderState::CannotMake:
            ui::AppMessageBox(StrFormat(i18n::StringText(resources::IDS_MESSAGE_FOLDER_NOT_MADE).c_str(),
                                        check.folder.c_str(), check.reason.c_str()));
            return false;
        case shell::FolderState::NotWritable:
            ui::AppMessageBox(StrFormat(
                i18n::StringText(resources::IDS_MESSAGE_FOLDER_NOT_WRITABLE).c_str(), check.folder.c_str()));
            return false;
    }
    return false;
}

}  // namespace options
