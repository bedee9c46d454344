#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"

namespace {

using namespace ui;

DialogTemplate SmallTemplate() {
    DialogTemplate t;
    t.id = 500;
    t.caption = "Small";
    t.rect = {0, 0, 200, 100};
    t.controls = {
        {IDOK, ControlKind::DefPushButton, "OK", {10, 70, 50, 14}, kTabStop},
        {11, ControlKind::PushButton, "Other", {70, 70, 50, 14}, kTabStop},
        {12, ControlKind::Edit, "", {10, 10, 100, 14}, kTabStop},
        {13, ControlKind::DropDownList, "", {10, 30, 100, 60}, kTabStop},
        {14, ControlKind::ListBox, "", {120, 10, 70, 50}, kTabStop | kVScroll},
        {-1, ControlKind::Static, "label", {10, 50, 50, 10}, 0},
    };
    return t;
}

// Records what reaches the dialog's handlers.
class Probe : public Dialog {
public:
    Probe() : Dialog(SmallTemplate(), nullptr) {}
    std::vector<int> commands, timers, selections;
    std::vector<unsigned> messages;
    std::function<void(Probe&)> onTick;

protected:
    void OnCommand(int id) override {
        commands.push_back(id);
        Dialog::OnCommand(id);
    }
    void OnTimer(int id) override {
        timers.push_back(id);
        if (onTick) onTick(*this);
    }
    void OnMessage(unsigned m, std::uintptr_t, std::intptr_t) override { messages.push_back(m); }
    void OnSelectionChange(int id) override { selections.push_back(id); }
};

TEST(DialogUnits, ConvertLikeMulDiv) {
    const BaseUnits u{6, 13};
    EXPECT_EQ(DialogUnitsToPixels({7, 7, 66, 26}, u), (PixelRect{11, 11, 99, 42}));
    EXPECT_EQ(DialogUnitsToPixels({76, 7, 66, 25}, u), (PixelRect{114, 11, 99, 41}));
    EXPECT_EQ(DialogUnitsToPixels({0, 0, 287, 140}, u), (PixelRect{0, 0, 431, 228}));
    EXPECT_EQ(DialogUnitsToPixels({1, 1, 2, 3}, BaseUnits{7, 15}), (PixelRect{2, 2, 4, 6}));
}

TEST(Dialog, ModalRunKeepsDeliveringTimersAndPostsFromOtherThreads) {
    ScriptedAutomation automation;
    Probe dialog;
    automation.onDialogShown = [&](Dialog&) {
        dialog.SetTimer(7, 5);
        std::thread([poster = dialog.Poster(WM_USER + 13)] {
            for (int i = 0; i < 3; ++i) poster();
        }).join();
    };
    dialog.onTick = [](Probe& d) {
        // A box inside the run: its own nested loop must not stop the dialog's delivery.
        if (d.timers.size() == 1) MessageBox(&d, "inner", "caption");
        if (d.timers.size() >= 3 && d.messages.size() >= 3) d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.RunModal(), IDOK);
    EXPECT_GE(dialog.timers.size(), 3u);
    EXPECT_EQ(dialog.messages, (std::vector<unsigned>(3, WM_USER + 13)));
    EXPECT_FALSE(dialog.HasTimer(7));
}

TEST(Dialog, PostersOutliveTheirWindowHarmlessly) {
    std::function<void()> poster;
    {
        Probe dialog;
        poster = dialog.Poster(WM_USER);
    }
    poster();  // dropped, no crash
    SUCCEED();
}

TEST(Dialog, KeysFollowThePlatformsDialogRules) {
    ScriptedAutomation automation;
    {
        Probe dialog;
        automation.onDialogShown = [&](Dialog&) {
            dialog.Item(12).SetFocus();
            dialog.PressKey("Return");  // not on a button: the default button
        };
        EXPECT_EQ(dialog.RunModal(), IDOK);
        EXPECT_EQ(dialog.commands, (std::vector<int>{IDOK}));
    }
    {
        Probe dialog;
        automation.onDialogShown = [&](Dialog&) { dialog.PressKey("Escape"); };
        EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    }
    {
        Probe dialog;
        automation.onDialogShown = [&](Dialog&) {
            dialog.PressKey("F1");
            dialog.RequestClose();  // close box: cancel by default
        };
        EXPECT_EQ(dialog.RunModal(), IDCANCEL);
        EXPECT_EQ(dialog.commands, (std::vector<int>{ID_HELP}));
    }
}

TEST(Dialog, ListsSelectWithoutNotifyingAndControlsAreFoundById) {
    Probe dialog;
    Control combo = dialog.Item(13);
    EXPECT_EQ(combo.AddString("AVI"), 0);
    EXPECT_EQ(combo.AddString("WMV"), 1);
    EXPECT_EQ(combo.CurSel(), -1);
    EXPECT_EQ(combo.SetCurSel(1), 1);
    EXPECT_EQ(combo.Text(), "WMV");
    EXPECT_EQ(combo.SetCurSel(5), -1);
    EXPECT_EQ(combo.CurSel(), -1);
    Control list = dialog.Item(14);
    list.AddString("one");
    list.AddString("two");
    list.SetCurSel(1);
    EXPECT_EQ(list.ItemText(1), "two");
    EXPECT_EQ(list.Count(), 2);
    list.ResetContent();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(dialog.selections.empty());

    EXPECT_FALSE(dialog.Item(999).exists());
    dialog.Item(999).SetText("ignored");
    EXPECT_EQ(dialog.Item(999).Text(), "");
    EXPECT_EQ(dialog.ChildIds(), (std::vector<int>{IDOK, 11, 12, 13, 14, -1}));
}

TEST(MessageBoxes, FormattedBoxIsCutAt512BytesAndUnowned) {
    ScriptedAutomation automation;
    const std::string longText(600, 'x');
    FormattedMessageBox("Failed to map profile ID!  hr=0x%x\n", 0x80004005u);
    FormattedMessageBox("%s", longText.c_str());
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text, "Failed to map profile ID!  hr=0x80004005\n");
    EXPECT_EQ(automation.boxes[0].caption, "Message");
    EXPECT_EQ(automation.boxes[0].ownerId, 0);
    EXPECT_EQ(automation.boxes[1].text.size(), 511u);
}

TEST(MessageBoxes, ApplicationBoxUsesTheApplicationName) {
    ScriptedAutomation automation;
    SetApplicationName("quorvel-converter");
    automation.boxAnswers = {IDNO};
    EXPECT_EQ(AppMessageBox("question", MB_YESNO), IDNO);
    AppMessageBox("note");
    EXPECT_EQ(automation.boxes[0].caption, "quorvel-converter");
    EXPECT_EQ(automation.boxes[1].type, MB_OK | MB_ICONEXCLAMATION);
}

TEST(Menus, ChangeTextsByCommandOrSubmenuAndCheckItems) {
    MenuTemplate t{131,
                   {{"PopupMenu",
                     0,
                     {{"Language", 0, {}, true}, {"Font", 32772, {}, false}, {"", 0, {}, false},
                      {"About", 32771, {}, false}},
                     true}}};
    auto menu = Menu::FromTemplate(t);
    ASSERT_EQ(menu->ItemCount(), 1);
    EXPECT_EQ(menu->ItemId(0), -1);
    Menu* popup = menu->SubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->ItemId(0), -1);
    EXPECT_EQ(popup->ItemId(1), 32772);
    EXPECT_EQ(popup->ItemId(2), 0);
    Menu* languages = popup->SubMenu(0);
    languages->AppendItem("English", 45400);
    languages->AppendItem("Deutsch", 45401);
    EXPECT_TRUE(menu->CheckItem(45401, true));
    EXPECT_TRUE(menu->IsChecked(45401));
    EXPECT_FALSE(menu->IsChecked(45400));
    EXPECT_TRUE(menu->ModifyByCommand(32771, "Info"));
    EXPECT_TRUE(menu->ModifySubmenuText(languages, "Sprache"));
    EXPECT_EQ(popup->ItemText(3), "Info");
    EXPECT_EQ(popup->ItemText(0), "Sprache");
    EXPECT_EQ(popup->SubMenu(0), languages);
    EXPECT_FALSE(menu->ModifyByCommand(1, "none"));

    ScriptedAutomation automation;
    automation.menuAnswers = {45401};
    EXPECT_EQ(TrackPopupMenu(*popup, Point{5, 5}, nullptr), 45401);
    EXPECT_EQ(automation.menusShown[0], (std::vector<std::string>{"Sprache", "Font", "", "Info"}));
}

}  // namespace
