#include "app/ExistingOutputsQuestion.h"

#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "platform/ui/Dialog.h"
#include "resources/QueueDialogTemplates.h"
#include "resources/Resources.h"

namespace app {
namespace {

using namespace resources;

class Question : public ui::Dialog {
public:
    Question(ui::Dialog* owner, std::string text)
        : ui::Dialog(QueueExistsDialogTemplate(), owner), text_(std::move(text)) {}

protected:
    bool OnInitDialog() override {
        i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_QUEUE_EXISTS);
        Item(IDC_STATIC_QUEUE_EXISTS).SetText(text_);
        return true;
    }
    void OnCommand(int id) override {
        if (id == IDC_BUTTON_QUEUE_REPLACE_ALL || id == IDC_BUTTON_QUEUE_SKIP ||
            id == IDC_BUTTON_QUEUE_KEEP_BOTH)
            EndDialog(id);
        else if (id == IDC_BUTTON_QUEUE_CANCEL || id == ui::IDCANCEL)
            EndDialog(IDC_BUTTON_QUEUE_CANCEL);
    }
    void OnOK() override { EndDialog(IDC_BUTTON_QUEUE_REPLACE_ALL); }  // the default button
    void OnCancel() override { EndDialog(IDC_BUTTON_QUEUE_CANCEL); }

private:
    std::string text_;
};

}  // namespace

int AskAboutExistingOutputs(ui::Dialog* owner, int count, const std::string& firstOutput) {
    Question question(owner, i18n::FormatText(IDS_QUEUE_EXISTS, count, firstOutput.c_str()));
    const int answer = question.RunModal();
    return answer == IDC_BUTTON_QUEUE_REPLACE_ALL || answer == IDC_BUTTON_QUEUE_SKIP ||
                   answer == IDC_BUTTON_QUEUE_KEEP_BOTH
               ? answer
               : IDC_BUTTON_QUEUE_CANCEL;
}

}  // namespace app
