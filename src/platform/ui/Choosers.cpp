#include "platform/ui/Choosers.h"

#include <QFileDialog>
#include <QFontDialog>
#include <algorithm>

#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogImpl.h"
#include "platform/ui/QtFonts.h"

namespace ui {
namespace {

// "Video Files (*.*)" already names its pattern; other descriptions get it appended.
QString NameFilter(const std::string& description, const std::string& pattern) {
    const std::string suffix = "(" + pattern + ")";
    std::string patterns = pattern;
    for (char& c : patterns)
        if (c == ';') c = ' ';
    if (description.size() >= suffix.size() &&
        description.compare(description.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        patterns == pattern)
        return QString::fromStdString(description);
    return QString::fromStdString(description + " (" + patterns + ")");
}

// The chosen paths (one at most unless the request is for several), none when cancelled.
std::vector<std::string> RunFileChooser(bool save, const FileChooserRequest& request) {
    if (Automation* a = CurrentAutomation()) {
        const auto answer = a->AnswerFileChooser(
            FileChooserRecord{save, request.owner ? request.owner->templateId() : 0, request});
        if (!answer) return {};
        if (!request.multiple) return {*answer};
        std::vector<std::string> paths;
        for (std::size_t start = 0; start <= answer->size();) {
            const std::size_t end = std::min(answer->find('\n', start), answer->size());
            if (end > start) paths.push_back(answer->substr(start, end - start));
            start = end + 1;
        }
        return paths;
    }

    QFileDialog dialog(WindowOf(request.owner), QString::fromStdString(request.title),
                       QString::fromStdString(request.initialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save                                  ? QFileDialog::AnyFile
                       : request.multiple                    ? QFileDialog::ExistingFiles
                       : (request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
    if (!save && (request.flags & OFN_READONLY) && !(request.flags & OFN_HIDEREADONLY))
        dialog.setOption(QFileDialog::ReadOnly, false);  // the source is only ever read
    if (!(request.flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters;
    for (const auto& [description, pattern] : request.filters)
        filters << NameFilter(description, pattern);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.initialFile.empty() && request.initialFile.find('*') == std::string::npos)
        dialog.selectFile(QString::fromStdString(request.initialFile));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted) return {};
    std::vector<std::string> paths;
    for (const QString& file : dialog.selectedFiles()) paths.push_back(file.toStdString());
    return paths;
}

std::optional<std::string> First(const std::vector<std::string>& paths) {
    return paths.empty() ? std::nullopt : std::optional<std::string>(paths.front());
}

}  // namespace

std::optional<std::string> GetOpenFileName(const FileChooserRequest& request) {
    return First(RunFileChooser(false, request));
}

std::optional<std::string> GetSaveFileName(const FileChooserRequest& request) {
    return First(RunFileChooser(true, request));
}

std::vector<std::string> GetOpenFileNames(const FileChooserRequest& request) {
    return RunFileChooser(false, request);
}

std::optional<LogFont> ChooseFont(Dialog* owner, const LogFont& initial) {
    if (Automation* a = CurrentAutomation()) return a->AnswerFontChooser(initial);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(initial), WindowOf(owner));
    if (!ok) return std::nullopt;
    LogFont result = FromQFont(chosen);
    result.charSet = initial.charSet;
    result.outPrecision = initial.outPrecision;
    result.clipPrecision = initial.clipPrecision;
    result.quality = initial.quality;
    result.pitchAndFamily = initial.pitchAndFamily;
    return result;
}

}  // namespace ui
