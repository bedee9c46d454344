// The right-click menu of the main window: the Language submenu, Font and About.
#include "i18n/LanguagePack.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace i18n {

int LanguagePack::ShowContextMenu(ui::Dialog& mainWindow, ui::Point screen) {
    // Loaded and filled anew each time, so it shows the current language and texts.
    std::shared_ptr<ui::Menu> menu = ui::Menu::FromTemplate(resources::ContextMenuTemplate());
    ui::Menu* popup = menu ? menu->SubMenu(0) : nullptr;
    if (!popup) {
        ui::MessageBox(nullptr, "Can not find Language Menu!", "error", ui::MB_OK);
        return 0;
    }
    BuildLanguageMenu(*menu, *popup);
    return ui::TrackPopupMenu(*popup, screen, &mainWindow);
}

int LanguagePack::BuildLanguageMenu(ui::Menu& menu, ui::Menu& popup) const {
    ui::Menu* languages = nullptr;
    for (int position = 0; position < popup.ItemCount() && !languages; ++position)
        languages = popup.SubMenu(position);
    if (!languages) return 0;
    languages->DeleteByPosition(0);  // the placeholder
    const std::string current = LowerCase(currentLanguage_);
    for (int i = 0; i < static_cast<int>(catalog_.size()); ++i) {
        const int command = kFirstLanguageCommand + i;
        languages->AppendItem(CatalogEntry(i), command);
        languages->CheckItem(command, LowerCase(CatalogEntry(i)) == current);
    }
    ApplyToMenu(menu, resources::IDR_CONTEXT_MENU);
    return 1;
}

int LanguagePack::OnLanguageCommand(ui::Dialog& mainWindow, int commandId) {
    const int id = commandId & 0xFFFF;
    if (id >= kFirstLanguageCommand && id <= kLastLanguageCommand) {
        SwitchLanguage(mainWindow, id);
        ui::MessageBox(&mainWindow, StringText(resources::IDS_MESSAGE_RESTART_PROGRAM),
                       StringText(resources::IDS_MESSAGE_WARNING), ui::MB_OK);
    }
    return 0;
}

void LanguagePack::SwitchLanguage(ui::Dialog& mainWindow, int commandId) {
    std::string name = CatalogEntry(commandId - kFirstLanguageCommand);
    SelectLanguage(name);
    ApplyToDialog(mainWindow, resources::IDD_MAIN);
}

}  // namespace i18n
