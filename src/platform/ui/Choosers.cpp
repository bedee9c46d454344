#include "platform/ui/Choosers.h"

#include <QFileDialog>
#include <QFontDialog>

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

std::optional<std::string> RunFileChooser(bool save, const FileChooserRequest& request) {
    if (Automation* a = CurrentAutomation())
        return a->AnswerFileChooser(
            FileChooserRecord{save, request.owner ? request.owner->templateId() : 0, request});

    QFileDialog dialog(WindowOf(request.owner), QString::fromStdString(request.title),
                       QString::fromStdString(request.initialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::optional<std::string> GetOpenFileName(const FileChooserRequest& request) {
    return RunFileChooser(false, request);
}

std::optional<std::string> GetSaveFileName(const FileChooserRequest& request) {
    return RunFileChooser(true, request);
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
