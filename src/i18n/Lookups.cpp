// Text lookups and putting a language's texts onto dialogs and menus.
#include <cstdint>

#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "resources/Resources.h"

namespace i18n {
namespace {

// The first entry with the ID decides, even when its text is empty.
std::string Find(const TextTable& table, int id) {
    for (const TextEntry& entry : table)
        if (entry.id == id) return entry.text;
    return {};
}

}  // namespace

std::string LanguagePack::StringText(int id) const {
    std::string text = Find(stringTexts_, id);
    return text.empty() ? resources::BuiltInString(id) : text;
}

std::string LanguagePack::DialogText(int id) const { return Find(dialogTexts_, id); }

std::string LanguagePack::DialogTextOrBuiltIn(int id) const {
    std::string text = DialogText(id);
    return text.empty() ? resources::BuiltInString(id) : text;
}

std::string LanguagePack::MenuText(int id) const { return Find(menuTexts_, id); }

ui::LogFont LanguagePack::FontToSend() const {
    // Without a font the controls are sent an empty one: the system font.
    return interfaceFont_.value_or(ui::LogFont{});
}

int LanguagePack::ApplyToDialog(ui::Dialog& dialog, int dialogId) const {
    if (catalog_.empty()) return 0;
    const std::string caption = DialogText(dialogId);
    if (!caption.empty()) {
        dialog.SetFont(FontToSend());
        dialog.SetCaption(caption);
    }
    for (const int childId : dialog.ChildIds()) {
        // Control IDs are 16-bit: unnamed labels carry 65535, which reads as -1.
        const int id = static_cast<std::int16_t>(static_cast<std::uint16_t>(childId));
        if (id <= 0) continue;
        const std::string text = DialogText(id);
        if (text.empty()) continue;
        ui::Control control = dialog.Item(id);
        control.SetText(text);
        control.SetFont(FontToSend());
    }
    return 1;
}

namespace {

void ApplyToSubmenu(const LanguagePack& pack, ui::Menu& submenu, int& popupKey) {
    for (int position = 0; position < submenu.ItemCount(); ++position) {
        const int id = submenu.ItemId(position);
        if (id == 0) continue;  // separator
        if (id != -1) {
            const std::string text = pack.MenuText(id);
            if (!text.empty()) submenu.ModifyByCommand(id, text);
            continue;
        }
        ui::Menu* child = submenu.SubMenu(position);
        const std::string text = pack.MenuText(popupKey++);
        if (!text.empty()) submenu.ModifySubmenuText(child, text);
        if (child) ApplyToSubmenu(pack, *child, popupKey);
    }
}

}  // namespace

int LanguagePack::ApplyToMenu(ui::Menu& menu, int menuId) const {
    if (catalog_.empty()) return 0;
    int popupKey = menuId * kPopupKeyFactor;
    // The top level keeps its texts; its submenus are processed in order.
    for (int position = 0; position < menu.ItemCount(); ++position)
        if (ui::Menu* submenu = menu.SubMenu(position)) ApplyToSubmenu(*this, *submenu, popupKey);
    return 1;
}

}  // namespace i18n
