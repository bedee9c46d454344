#include "platform/ui/MessageBox.h"

#include <QMessageBox>
#include <cstdarg>
#include <cstdio>

#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogImpl.h"

namespace ui {

int MessageBox(Dialog* owner, std::string_view text, std::string_view caption, unsigned type) {
    if (Automation* a = CurrentAutomation()) {
        MessageBoxRecord record{owner ? owner->templateId() : 0, std::string(text),
                                std::string(caption), type};
        return a->AnswerMessageBox(record);
    }
    QMessageBox box(WindowOf(owner));
    // File names and messages are shown as they are: "<b>" in a name is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    switch (type & 0xF0) {
        case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    switch (type & 0xF) {
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton((type & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
            break;
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        case QMessageBox::Cancel: return IDCANCEL;
        default: return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
}

int AppMessageBox(std::string_view text, unsigned type) {
    return MessageBox(ActiveDialog(), text, ApplicationName(), type);
}

int FormattedMessageBox(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return MessageBox(nullptr, buffer, "Message", MB_OK);
}

}  // namespace ui
