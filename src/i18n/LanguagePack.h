#pragma once
// The one language pack of the process: the current language's texts, with
// the built-in English texts behind them.
#include <string>

#include "platform/ui/Font.h"

namespace ui {
class Dialog;
class Menu;
}  // namespace ui

namespace i18n {

class LanguagePack {
public:
    static LanguagePack& Instance();

    // Finds the language files and selects `language` among them. Until
    // language files are supported the catalogue stays empty and the built-in
    // English texts serve.
    void InitializeLanguages(const std::string& language);

    const std::string& currentLanguage() const { return currentLanguage_; }
    bool catalogueEmpty() const { return true; }

    std::string StringText(int id) const;
    std::string DialogText(int id) const;
    std::string DialogTextOrBuiltIn(int id) const;
    std::string MenuText(int id) const;

    // Put the language's texts (and the interface font) on a dialog or menu.
    // 0 when the catalogue is empty and nothing was changed.
    int ApplyToDialog(ui::Dialog& dialog, int dialogId) const;
    int ApplyToMenu(ui::Menu& menu, int menuId) const;

private:
    std::string currentLanguage_ = "english";
};

inline std::string StringText(int id) { return LanguagePack::Instance().StringText(id); }

}  // namespace i18n
