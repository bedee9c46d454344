#pragma once
// Popup menus as a tree of items: built from a template, changed by command ID
// or by submenu, shown at a point.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Template.h"

namespace ui {

class Dialog;
struct Point;

class Menu {
public:
    struct Item {
        std::string text;
        int id = 0;  // 0: separator (when no submenu)
        bool checked = false;
        bool enabled = true;
        std::shared_ptr<Menu> submenu;
    };

    static std::shared_ptr<Menu> FromTemplate(const MenuTemplate& tmpl);
    static std::shared_ptr<Menu> FromItems(const std::vector<MenuItemTemplate>& items);

    int ItemCount() const { return static_cast<int>(items_.size()); }
    // 0 for a separator, -1 for an item that opens a submenu, else the command ID.
    int ItemId(int position) const;
    std::string ItemText(int position) const;
    Menu* SubMenu(int position) const;
    const Item* FindCommand(int id) const;  // searches submenus too

    // Changes the text of the item with this command ID (searching submenus); it stays a plain item.
    bool ModifyByCommand(int id, std::string_view text);
    // Changes the text of the item that opens this submenu, keeping the submenu.
    bool ModifySubmenuText(const Menu* submenu, std::string_view text);
    void AppendItem(std::string_view text, int id);
    void AppendSeparator();
    bool DeleteByPosition(int position);
    bool CheckItem(int id, bool checked);
    bool IsChecked(int id) const;
    bool EnableItem(int id, bool enabled);  // a disabled item shows greyed and cannot be chosen

    const std::vector<Item>& items() const { return items_; }

private:
    std::vector<Item> items_;
};

// Shows the menu at a screen point and returns the chosen command ID, 0 when dismissed.
int TrackPopupMenu(const Menu& menu, Point screen, Dialog* owner);

}  // namespace ui
