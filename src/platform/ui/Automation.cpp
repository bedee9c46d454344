#include "platform/ui/Automation.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"

namespace ui {
namespace {
Automation* g_automation = nullptr;
}

void InstallAutomation(Automation* automation) { g_automation = automation; }
Automation* CurrentAutomation() { return g_automation; }

ScriptedAutomation::ScriptedAutomation() : previous_(g_automation) { g_automation = this; }
ScriptedAutomation::~ScriptedAutomation() { g_automation = previous_; }

int ScriptedAutomation::AnswerMessageBox(const MessageBoxRecord& box) {
    boxes.push_back(box);
    if (onMessageBox) onMessageBox(box);
    if (!boxAnswers.empty()) {
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    if ((box.type & 0xF) != MB_YESNO) return IDOK;
    return (box.type & MB_DEFBUTTON2) ? IDNO : IDYES;
}

std::optional<std::string> ScriptedAutomation::AnswerFileChooser(const FileChooserRecord& chooser) {
    choosers.push_back(chooser);
    if (fileAnswers.empty()) return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<LogFont> ScriptedAutomation::AnswerFontChooser(const LogFont& initial) {
    fontRequests.push_back(initial);
    if (fontAnswers.empty()) return std::nullopt;
    auto answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
}

int ScriptedAutomation::AnswerPopupMenu(const Menu& menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < menu.ItemCount(); ++i) texts.push_back(menu.ItemText(i));
    menusShown.push_back(std::move(texts));
    if (menuAnswers.empty()) return 0;
    const int answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

std::optional<std::map<std::string, std::string>> ScriptedAutomation::AnswerPropertyFrame(
    const std::string& caption, const std::vector<FramePage>& pages) {
    framesShown.emplace_back(caption, pages);
    if (frameAnswers.empty()) return std::nullopt;
    auto answer = frameAnswers.front();
    frameAnswers.pop_front();
    return answer;
}

void ScriptedAutomation::DialogShown(Dialog& dialog) {
    dialogsShown.push_back(dialog.templateId());
    if (onDialogShown) onDialogShown(dialog);
}

}  // namespace ui
