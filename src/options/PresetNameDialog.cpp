#include "options/PresetNameDialog.h"

#include "i18n/LanguagePack.h"
#include "resources/OptionsDialogTemplate.h"

namespace options {

using namespace resources;

PresetNameDialog::PresetNameDialog(ui::Dialog* owner, std::string initial)
    : ui::Dialog(PresetNameTemplate(), owner), name(std::move(initial)) {}

bool PresetNameDialog::OnInitDialog() {
    Item(IDC_EDIT_PRESET_NAME).SetText(name);
    Item(IDC_EDIT_PRESET_NAME).SetFocus();
    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_PRESET_NAME);
    return true;
}

void PresetNameDialog::OnOK() {
    name = Item(IDC_EDIT_PRESET_NAME).Text();
    EndDialog(ui::IDOK);
}

void PresetNameDialog::OnCommand(int id) {
    if (id == IDC_BUTTON_PRESET_NAME_OK)
        OnOK();
    else if (id == IDC_BUTTON_PRESET_NAME_CANCEL)
        OnCancel();
    else
        ui::Dialog::OnCommand(id);
}

}  // namespace options
