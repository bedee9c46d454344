#include "options/OutputFormat.h"

#include "i18n/LanguagePack.h"
#include "platform/Path.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace options {
namespace {

constexpr const char* kUnsupportedFormat = "Does not support the video format";

std::string ApplyRule(const char* rule, const std::string& stem) {
    // Every rule is "%s.<extension>".
    return stem + (rule + 2);
}

}  // namespace

bool ForceOutputExtension(int format, const std::string& path, std::string& destination) {
    std::string copy = path;
    const std::size_t nameStart = paths::NameStart(copy);
    const std::size_t dot = copy.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart) copy.erase(dot);
    if (!engine::IsValidFormat(format)) {
        ui::MessageBox(nullptr, kUnsupportedFormat, "Error", ui::MB_OK);
        return false;
    }
    destination =
        ApplyRule(engine::OutputFormatTable[static_cast<std::size_t>(format)].extensionRule, copy);
    return true;
}

void BrowseOutputFile(ui::Dialog& dialog, int format, const std::string& dialogOutputPath,
                      int pathFieldId) {
    const std::string folder = paths::FolderOf(dialogOutputPath);
    const std::string initialDir =
        folder.empty() ? std::string(".") : folder.substr(0, folder.size() - 1);

    ui::FileChooserRequest request;
    request.owner = &dialog;
    request.title = i18n::StringText(resources::IDS_MESSAGE_BROWSE_CAPTION);
    if (engine::IsValidFormat(format)) {
        const engine::OutputFormatRow& row =
            engine::OutputFormatTable[static_cast<std::size_t>(format)];
        // The older formats' filter texts are fixed; MP4's is the language's.
        const std::string filter = format == engine::kMp4
                                       ? i18n::StringText(resources::IDS_FILTER_MP4)
                                       : row.saveFilterText;
        request.filters = {{filter, row.savePattern}};
    } else {
        ui::MessageBox(&dialog, kUnsupportedFormat, "Error", ui::MB_OK);
    }
    request.filterIndex = 1;
    request.initialFile = "*.*";
    request.initialDir = initialDir;
    request.flags = ui::OFN_HIDEREADONLY;

    const auto chosen = ui::GetSaveFileName(request);
    if (!chosen) return;
    std::string forced;
    if (ForceOutputExtension(format, *chosen, forced)) dialog.Item(pathFieldId).SetText(forced);
}

}  // namespace options
