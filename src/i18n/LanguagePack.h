#pragma once
// The one language pack of the process: the current language's texts, the
// catalogue of language files, the language's identity for the locale and
// its interface font, with the built-in English texts behind them.
#include <optional>
#include <string>
#include <vector>

#include "i18n/LanguageNameTable.h"
#include "platform/ui/Font.h"

namespace ui {
class Dialog;
class Menu;
struct Point;
}  // namespace ui

namespace i18n {

// Command IDs of the Language submenu: catalogue entry i carries 45400 + i.
inline constexpr int kFirstLanguageCommand = 45400;
inline constexpr int kLastLanguageCommand = 46399;

struct TextEntry {
    int id;
    std::string text;
};
using TextTable = std::vector<TextEntry>;
using LanguageCatalog = std::vector<std::string>;

class LanguagePack {
public:
    static LanguagePack& Instance();
    virtual ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    // ---- Loading -------------------------------------------------------------
    // Reads <baseFolder>/language/<name>.ini into the text tables (emptied by
    // the caller), sets the locale and creates the interface font. 0 when the
    // catalogue is empty.
    int LoadLanguage(const std::string& name);

    // ---- Catalogue -----------------------------------------------------------
    // Appends the language files of the folder to the catalogue and sorts it
    // in byte order; 0 when none was found.
    int ScanCatalog();
    // Start-up: remembers the base folder, scans it and selects the requested
    // language. 0 when there is no language file (built-in texts only).
    int InitializeLanguages(const std::string& baseFolder, std::string requestedName);
    // Selects `name` when the catalogue has it (ignoring letter case),
    // otherwise "english", into which `name` is then changed; loads it.
    int SelectLanguage(std::string& name);
    std::string CatalogEntry(int index) const;

    // ---- Lookups -------------------------------------------------------------
    // The language's STRING text, else the built-in English string.
    std::string StringText(int id) const;
    // The language's DIALOG text, or empty.
    std::string DialogText(int id) const;
    // The language's DIALOG text, else the built-in English string.
    std::string DialogTextOrBuiltIn(int id) const;
    // The language's MENU text, or empty.
    std::string MenuText(int id) const;

    // Puts the language's texts, and the interface font with them, on a
    // dialog's caption and controls. 0 when the catalogue is empty.
    int ApplyToDialog(ui::Dialog& dialog, int dialogId) const;
    // Puts the language's texts on the items of a menu's submenus; submenus
    // are named by popup keys. 0 when the catalogue is empty.
    int ApplyToMenu(ui::Menu& menu, int menuId) const;

    // ---- Right-click menu ------------------------------------------------------
    // Shows the right-click menu at a screen point; returns the command chosen
    // (0 when none), which the window then handles as any command.
    int ShowContextMenu(ui::Dialog& mainWindow, ui::Point screen);
    // Lists the catalogue in the popup's Language submenu with a check mark on
    // the current language and applies the menu texts. 0 without a submenu.
    int BuildLanguageMenu(ui::Menu& menu, ui::Menu& popup) const;
    // Switches to the language of a language command and asks for a restart;
    // other commands are ignored. Always 0.
    int OnLanguageCommand(ui::Dialog& mainWindow, int commandId);
    void SwitchLanguage(ui::Dialog& mainWindow, int commandId);

    // ---- Interface font --------------------------------------------------------
    // Makes the interface font from the values stored for the current language.
    int LoadInterfaceFont();
    // Stores the font's values for the current language.
    int SaveInterfaceFont(const ui::LogFont& font);
    // The Font command: the font chooser, then the new font stored and applied.
    void ChooseInterfaceFont(ui::Dialog& mainWindow);
    // The font's values stored for the current language, with their defaults.
    ui::LogFont StoredInterfaceFont() const;

    // ---- State ---------------------------------------------------------------
    const std::string& currentLanguage() const { return currentLanguage_; }
    const LanguageCatalog& catalog() const { return catalog_; }
    const std::string& baseFolder() const { return baseFolder_; }
    int subLanguage() const { return subLanguage_; }
    int primaryLanguage() const { return primaryLanguage_; }
    const std::string& filePath() const { return filePath_; }
    TextEncoding encoding() const { return encoding_; }
    const std::optional<ui::LogFont>& interfaceFont() const { return interfaceFont_; }

private:
    LanguagePack() = default;
    void ResetToBuiltIn();
    ui::LogFont FontToSend() const;

    std::string currentLanguage_ = "english";
    LanguageCatalog catalog_;
    TextTable menuTexts_;
    TextTable stringTexts_;
    TextTable dialogTexts_;
    std::string baseFolder_;
    int subLanguage_ = 1;
    int primaryLanguage_ = 9;
    std::string filePath_;
    TextEncoding encoding_ = TextEncoding::Ansi;
    std::optional<ui::LogFont> interfaceFont_;
};

// The folder that holds the `language` folder: the program's data folder (the
// installed share folder, or the executable's), or its parent when the parent
// has language/English.ini. No trailing separator.
std::string FindBaseFolder();
std::string FindBaseFolderOf(const std::string& executableFolder);

inline std::string StringText(int id) { return LanguagePack::Instance().StringText(id); }

}  // namespace i18n
