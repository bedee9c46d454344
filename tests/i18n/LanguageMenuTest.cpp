// The right-click menu and language switching, on the real main window.
#include <gtest/gtest.h>

#include "FakeShell.h"
#include "LanguageTestSupport.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "i18n/LanguagePack.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Menu.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using i18n::LanguagePack;
using namespace resources;

class LanguageMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetApplicationName("quorvel-converter");
        folder.Write("English.ini", i18ntest::EnglishFile());
        folder.Write("German.ini", i18ntest::GermanFile());
    }

    // Starts as the program does: the remembered language, then the window.
    void Start() {
        pack.InitializeLanguages(
            folder.base(), settings::Profile().GetString("Option", "CurrentLanguage", "english"));
    }

    // Runs the main window; `script` acts once it is shown, then the window closes.
    void Run(const std::function<void(app::MainWindow&)>& script) {
        app::MainWindow window;
        automation.onDialogShown = [&window, script](ui::Dialog&) {
            script(window);
            if (window.IsRunning()) window.RequestClose();
        };
        window.RunModal();
    }

    static constexpr ui::Point kBackground{3, 3};

    LanguagePack& pack = LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
    i18ntest::LanguageFolder folder;
};

std::vector<std::string> Texts(const ui::Menu& menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < menu.ItemCount(); ++i) texts.push_back(menu.ItemText(i));
    return texts;
}

TEST_F(LanguageMenuTest, TheMenuListsTheCatalogueWithTheCurrentLanguageChecked) {
    settings::Profile().WriteString("Option", "CurrentLanguage", "GERMAN");
    Start();
    auto menu = ui::Menu::FromTemplate(ContextMenuTemplate());
    ui::Menu& popup = *menu->SubMenu(0);
    ASSERT_EQ(pack.BuildLanguageMenu(*menu, popup), 1);
    EXPECT_EQ(Texts(popup), (std::vector<std::string>{"Sprache", "Schriftart", "Info"}));
    EXPECT_EQ(Texts(*popup.SubMenu(0)), (std::vector<std::string>{"English", "German"}));
    EXPECT_EQ(popup.SubMenu(0)->ItemId(1), 45401);
    EXPECT_FALSE(popup.IsChecked(45400));
    EXPECT_TRUE(popup.IsChecked(45401));
    // The top level keeps its title.
    EXPECT_EQ(menu->ItemText(0), "PopupMenu");

    // A popup without submenu has no Language submenu to fill.
    auto flat = ui::Menu::FromItems({ui::MenuItemTemplate{"Font", IDM_POPUPMENU_FONT, {}, false}});
    EXPECT_EQ(pack.BuildLanguageMenu(*flat, *flat), 0);

    // The font comes from the section of the name as remembered.
    EXPECT_EQ(settings::Profile().GetInt("GERMAN", "lfHeight", 0), 0);
    pack.SaveInterfaceFont(*pack.interfaceFont());
    EXPECT_EQ(settings::Profile().GetInt("GERMAN", "lfHeight", 0), ui::DesktopFont().height);
}

TEST_F(LanguageMenuTest, ASwitchThroughTheRightClickMenuTakesEffectAtOnceAndIsRemembered) {
    Start();
    automation.menuAnswers = {45401};
    std::string exitText, caption;
    Run([&](app::MainWindow& w) {
        EXPECT_EQ(w.Item(IDC_BUTTON_EXIT).Text(), "Exit");
        w.RightClick(kBackground);
        exitText = w.Item(IDC_BUTTON_EXIT).Text();
        caption = w.Caption();
    });
    ASSERT_EQ(automation.menusShown.size(), 1u);
    EXPECT_EQ(automation.menusShown[0], (std::vector<std::string>{"Language", "Font", "About"}));
    EXPECT_EQ(exitText, "Beenden");
    EXPECT_EQ(caption, "Quorvel Video-Konverter");
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, "Bitte starten Sie das Programm neu");
    EXPECT_EQ(automation.boxes[0].caption, "Warnung");
    EXPECT_EQ(automation.boxes[0].ownerId, IDD_MAIN);
    EXPECT_EQ(settings::Profile().GetString("Option", "CurrentLanguage", ""), "German");

    // Next start: German from the start, its menu texts, and the same language again.
    Start();
    automation.menuAnswers = {45401};
    automation.boxes.clear();
    Run([&](app::MainWindow& w) {
        EXPECT_EQ(w.Item(IDC_BUTTON_ADD_VIDEO).Text(),
                  "Video \xC3\xB6"
                  "ffnen");
        w.RightClick(kBackground);
    });
    EXPECT_EQ(automation.menusShown[1],
              (std::vector<std::string>{"Sprache", "Schriftart", "Info"}));
    ASSERT_EQ(automation.boxes.size(), 1u);  // reloaded, and still asks for a restart
    EXPECT_EQ(automation.boxes[0].caption, "Warnung");
}

TEST_F(LanguageMenuTest, AForgottenLanguageFileGivesEnglishWhichIsWrittenBack) {
    settings::Profile().WriteString("Option", "CurrentLanguage", "French");
    Start();
    EXPECT_EQ(pack.currentLanguage(), "english");
    Run([](app::MainWindow&) {});
    EXPECT_EQ(settings::Profile().GetString("Option", "CurrentLanguage", ""), "english");
}

TEST_F(LanguageMenuTest, FontChoicesBelongToTheirLanguage) {
    settings::Profile().WriteString("Option", "CurrentLanguage", "German");
    Start();
    ui::LogFont chosen = *pack.interfaceFont();
    chosen.height = -19;
    chosen.weight = 700;
    chosen.faceName = "DejaVu Serif";
    chosen.quality = 3;
    automation.menuAnswers = {IDM_POPUPMENU_FONT, 45400, 45401};
    automation.fontAnswers = {chosen};
    ui::LogFont afterChoice, inEnglish, backInGerman;
    Run([&](app::MainWindow& w) {
        w.RightClick(kBackground);
        afterChoice = w.Item(IDC_BUTTON_EXIT).GetFont();
        w.RightClick(kBackground);
        inEnglish = *pack.interfaceFont();
        w.RightClick(kBackground);
        backInGerman = *pack.interfaceFont();
    });
    ASSERT_EQ(automation.fontRequests.size(), 1u);
    // Nothing chosen yet: the desktop's font.
    EXPECT_EQ(automation.fontRequests[0].faceName, ui::DesktopFont().faceName);
    EXPECT_EQ(afterChoice.height, -19);
    EXPECT_EQ(afterChoice.weight, 700);
    EXPECT_EQ(inEnglish.height, ui::DesktopFont().height);
    EXPECT_EQ(inEnglish.faceName, ui::DesktopFont().faceName);
    EXPECT_EQ(backInGerman.height, -19);
    EXPECT_EQ(backInGerman.faceName, "DejaVu Serif");
    EXPECT_EQ(backInGerman.quality, 0);
    EXPECT_EQ(settings::Profile().GetInt("German", "lfWeight", 0), 700);
}

TEST_F(LanguageMenuTest, ACancelledOrImpossibleFontChangesNothing) {
    Start();
    const ui::LogFont before = *pack.interfaceFont();
    ui::LogFont impossible = before;
    impossible.weight = 5000;
    automation.fontAnswers = {std::nullopt, impossible};
    Run([&](app::MainWindow& w) {
        w.RightClick(kBackground);
        automation.menuAnswers = {IDM_POPUPMENU_FONT};
        w.RightClick(kBackground);
        automation.menuAnswers = {IDM_POPUPMENU_FONT};
        w.RightClick(kBackground);
    });
    EXPECT_EQ(automation.fontRequests.size(), 2u);
    EXPECT_EQ(*pack.interfaceFont(), before);
    EXPECT_EQ(settings::Profile().GetInt("english", "lfWeight", -1), -1);
}

TEST_F(LanguageMenuTest, LanguagesBeyondTheThousandthCannotBeChosen) {
    for (int i = 0; i < 1001; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "L%04d.ini", i);
        folder.Write(name, "[DIALOG]\nIDC_BUTTON_EXIT=Exit " + std::to_string(i) + "\n");
    }
    Start();
    ASSERT_EQ(pack.catalog().size(), 1003u);
    auto menu = ui::Menu::FromTemplate(ContextMenuTemplate());
    pack.BuildLanguageMenu(*menu, *menu->SubMenu(0));
    EXPECT_EQ(menu->SubMenu(0)->SubMenu(0)->ItemId(1002), 46402);

    automation.menuAnswers = {46402, 46399};
    std::string afterLast, afterBeyond;
    Run([&](app::MainWindow& w) {
        w.RightClick(kBackground);
        afterBeyond = w.Item(IDC_BUTTON_EXIT).Text();
        w.RightClick(kBackground);
        afterLast = w.Item(IDC_BUTTON_EXIT).Text();
    });
    EXPECT_EQ(afterBeyond, "Exit");
    EXPECT_EQ(afterLast, "Exit 997");  // entry 999: after English, German, L0000...
    // Only the one that could be chosen warns about its name and asks for a restart.
    EXPECT_EQ(automation.boxes.size(), 2u);
}

}  // namespace
