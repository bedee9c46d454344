#include "app/AboutDialog.h"

#include "ProgramInfo.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "resources/AboutDialogTemplate.h"
#include "resources/Resources.h"

namespace app {

AboutDialog::AboutDialog(ui::Dialog* owner)
    : ui::Dialog(resources::AboutDialogTemplate(), owner) {}

bool AboutDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    // The caption and the program's name line come from the current language.
    i18n::LanguagePack::Instance().ApplyToDialog(*this, resources::IDD_ABOUTBOX);
    Item(resources::IDC_STATIC_VERSION)
        .SetText(i18n::FormatText(resources::IDS_ABOUT_VERSION, program::kVersion));
    return true;
}

}  // namespace app
