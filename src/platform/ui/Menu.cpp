#include "platform/ui/Menu.h"

#include <QAction>
#include <QMenu>

#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogImpl.h"

namespace ui {

std::shared_ptr<Menu> Menu::FromItems(const std::vector<MenuItemTemplate>& items) {
    auto menu = std::make_shared<Menu>();
    for (const auto& t : items) {
        Item item{t.text, t.id, false, true, nullptr};
        if (t.popup || !t.children.empty()) {
            item.id = 0;
            item.submenu = FromItems(t.children);
        }
        menu->items_.push_back(std::move(item));
    }
    return menu;
}

std::shared_ptr<Menu> Menu::FromTemplate(const MenuTemplate& tmpl) { return FromItems(tmpl.items); }

int Menu::ItemId(int position) const {
    if (position < 0 || position >= ItemCount()) return 0;
    const Item& item = items_[static_cast<size_t>(position)];
    return item.submenu ? -1 : item.id;
}

std::string Menu::ItemText(int position) const {
    if (position < 0 || position >= ItemCount()) return {};
    return items_[static_cast<size_t>(position)].text;
}

Menu* Menu::SubMenu(int position) const {
    if (position < 0 || position >= ItemCount()) return nullptr;
    return items_[static_cast<size_t>(position)].submenu.get();
}

const Menu::Item* Menu::FindCommand(int id) const {
    for (const Item& item : items_) {
        if (item.submenu) {
            if (const Item* found = item.submenu->FindCommand(id)) return found;
        } else if (item.id == id && id != 0) {
            return &item;
        }
    }
    return nullptr;
}

bool Menu::ModifyByCommand(int id, std::string_view text) {
    const Item* found = FindCommand(id);
    if (!found) return false;
    const_cast<Item*>(found)->text = std::string(text);
    return true;
}

bool Menu::ModifySubmenuText(const Menu* submenu, std::string_view text) {
    for (Item& item : items_) {
        if (item.submenu.get() == submenu) {
            item.text = std::string(text);
            return true;
        }
        if (item.submenu && item.submenu->ModifySubmenuText(submenu, text)) return true;
    }
    return false;
}

void Menu::AppendItem(std::string_view text, int id) {
    items_.push_back(Item{std::string(text), id, false, true, nullptr});
}

void Menu::AppendSeparator() { items_.push_back(Item{}); }

bool Menu::DeleteByPosition(int position) {
    if (position < 0 || position >= ItemCount()) return false;
    items_.erase(items_.begin() + position);
    return true;
}

bool Menu::CheckItem(int id, bool checked) {
    const Item* found = FindCommand(id);
    if (!found) return false;
    const_cast<Item*>(found)->checked = checked;
    return true;
}

bool Menu::EnableItem(int id, bool enabled) {
    const Item* found = FindCommand(id);
    if (!found) return false;
    const_cast<Item*>(found)->enabled = enabled;
    return true;
}

bool Menu::IsChecked(int id) const {
    const Item* found = FindCommand(id);
    return found && found->checked;
}

namespace {
void Fill(QMenu* target, const Menu& menu) {
    for (const Menu::Item& item : menu.items()) {
        if (item.submenu) {
            Fill(target->addMenu(QString::fromStdString(item.text)), *item.submenu);
        } else if (item.id == 0) {
            target->addSeparator();
        } else {
            QAction* action = target->addAction(QString::fromStdString(item.text));
            action->setData(item.id);
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            action->setEnabled(item.enabled);
        }
    }
}
}  // namespace

int TrackPopupMenu(const Menu& menu, Point screen, Dialog* owner) {
    if (Automation* a = CurrentAutomation()) return a->AnswerPopupMenu(menu);
    QMenu popup(WindowOf(owner));
    Fill(&popup, menu);
    QAction* chosen = popup.exec(QPoint(screen.x, screen.y));
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace ui
