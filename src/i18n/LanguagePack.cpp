#include "i18n/LanguagePack.h"

#include "resources/Resources.h"

namespace i18n {

LanguagePack& LanguagePack::Instance() {
    static LanguagePack pack;
    return pack;
}

void LanguagePack::InitializeLanguages(const std::string& language) {
    currentLanguage_ = language;
}

std::string LanguagePack::StringText(int id) const { return resources::BuiltInString(id); }

std::string LanguagePack::DialogText(int) const { return {}; }

std::string LanguagePack::DialogTextOrBuiltIn(int id) const {
    std::string text = DialogText(id);
    return text.empty() ? resources::BuiltInString(id) : text;
}

std::string LanguagePack::MenuText(int) const { return {}; }

int LanguagePack::ApplyToDialog(ui::Dialog&, int) const { return 0; }

int LanguagePack::ApplyToMenu(ui::Menu&, int) const { return 0; }

}  // namespace i18n
