#include "options/OutputFormat.h"

#include <filesystem>

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

std::string OutputPathForSource(int format, const std::string& outputPath,
                                const std::string& sourcePath) {
    std::string stem = paths::FileNameOf(sourcePath);
    // A leading dot marks a hidden file, not an extension.
    if (const std::size_t dot = stem.find_last_of('.'); dot != std::string::npos && dot > 0)
        stem.erase(dot);
    const std::string base = paths::FolderOf(outputPath) + stem;
    std::string path;
    // The trailing dot stands for the extension that is replaced, so the stem keeps its dots.
    if (!ForceOutputExtension(format, base + ".", path)) return outputPath;
    std::error_code ec;
    if (std::filesystem::equivalent(path, sourcePath, ec) && !ec)
        ForceOutputExtension(format, base + " (1).", path);
    return path;
}

void BrowseOutputFile(ui::Dialog& dialog, int format, int pathFieldId) {
    const std::string current = dialog.Item(pathFieldId).Text();
    const std::string folder = paths::FolderOf(current);
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
    request.initialFile = paths::FileNameOf(current);
    request.initialDir = initialDir;
    request.flags = ui::OFN_HIDEREADONLY;

    const auto chosen = ui::GetSaveFileName(request);
    if (!chosen) return;
    std::string forced;
    if (ForceOutputExtension(format, *chosen, forced)) dialog.Item(pathFieldId).SetText(forced);
}

}  // namespace options
