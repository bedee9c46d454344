// The language files we ship: complete, identified, and fitting the main window.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>

#include "FakeShell.h"
#include "TestEnv.h"
#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/StatusText.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/profile/ProfileFile.h"
#include "platform/ui/Automation.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using i18n::LanguagePack;
using namespace resources;

const std::string kBase = QUORVEL_SHIPPED_LANGUAGES;

const std::vector<std::string> kShipped = {"Chinese_Simplified_utf-8",
                                           "English",
                                           "French",
                                           "German",
                                           "Italian",
                                           "Russian_utf-8",
                                           "Spanish"};

class ShippedLanguages : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }
    LanguagePack& pack = LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
};

TEST_F(ShippedLanguages, AreAllInTheCatalogueAndHoldEveryKey) {
    ASSERT_EQ(pack.InitializeLanguages(kBase, "english"), 1);
    EXPECT_EQ(pack.catalog(), kShipped);
    for (const std::string& name : kShipped) {
        const auto file = profile::ProfileFile::Load(kBase + "/language/" + name + ".ini");
        for (const i18n::TextKey& row : i18n::kTextKeyTable) {
            const std::string text = file.GetString(i18n::SectionOfKey(row.key), row.key, "");
            EXPECT_FALSE(text.empty()) << name << " lacks " << row.key;
            // A translation the format check refused would show in English.
            EXPECT_TRUE(i18n::SectionOfKey(row.key) != "STRING" ||
                        i18n::ConversionsMatch(text, BuiltInString(row.id)))
                << name << row.key;
        }
    }
}

TEST_F(ShippedLanguages, EnglishSaysWhatTheBuiltInTextsSay) {
    pack.InitializeLanguages(kBase, "English");
    for (const i18n::TextKey& row : i18n::kTextKeyTable)
        if (i18n::SectionOfKey(row.key) == "STRING") {
            EXPECT_EQ(pack.StringText(row.id), BuiltInString(row.id)) << row.key;
        }
    EXPECT_EQ(pack.DialogText(IDD_MAIN), kProgramTitle);
    EXPECT_EQ(pack.DialogText(124), "Stop");
    EXPECT_EQ(pack.DialogText(125), "Convert");
    for (const auto& control : MainDialogTemplate().controls)
        if (!control.text.empty() && control.id != IDC_BUTTON_BUILD_FILTERS) {
            EXPECT_EQ(pack.DialogText(control.id), control.text);
        }
}

TEST_F(ShippedLanguages, EachIsIdentifiedAndNoTextIsCutAtAnyFontSize) {
    const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR");
    if (shots) std::filesystem::create_directories(shots);
    // Every visible text shows whole; the window stays on a 1280x800 screen.
    auto check = [&](ui::Dialog& d, const std::string& shot) {
        for (const int id : d.ChildIds())
            EXPECT_TRUE(!d.Item(id).IsVisible() || d.Item(id).ShowsWholeText()) << shot << " " << d.Item(id).Text();
        EXPECT_LE(d.ClientRect().width, 1280) << shot;
        EXPECT_LE(d.ClientRect().height, 760) << shot;
        if (shots) d.SaveScreenshot(std::string(shots) + "/" + shot + ".png");
    };
    // 8, 11 and 14 points at 96 dots per inch, as a person picks them in the Font command.
    const std::pair<int, int> sizes[] = {{8, -11}, {11, -15}, {14, -19}};
    for (const std::string& name : kShipped) {
        for (const auto& [points, pixels] : sizes) {
            const std::string tag = name + "-" + std::to_string(points) + "pt";
            SCOPED_TRACE(tag);
            settings::Profile().WriteInt(name, "lfHeight", pixels);
            automation.boxes.clear();
            pack.InitializeLanguages(kBase, name);
            EXPECT_TRUE(automation.boxes.empty()) << "not identified";
            EXPECT_EQ(pack.currentLanguage(), name);

            app::MainWindow window;
            automation.onDialogShown = [&](ui::Dialog& shown) {
                if (shown.templateId() == IDD_OUTPUT_OPTIONS) {
                    check(shown, "options-" + tag + "-avi");
                    shown.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(1);
                    check(shown, "options-" + tag + "-wmv");
                    shown.EndDialog(ui::IDCANCEL);
                    return;
                }
                // Both labels of the Convert button must fit.
                for (const bool converting : {true, false}) {
                    window.isConverting = converting;
                    window.ApplyState();
                    check(window, "main-" + tag + (converting ? "-running" : ""));
                }
                window.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
                window.RequestClose();
            };
            window.RunModal();
        }
    }
}

TEST_F(ShippedLanguages, WhatTheWindowsDrawIsInTheLanguageQtsOwnTextsToo) {
    // Read where a person sees them; French and German say "Version" too.
    auto seen = [&] {
        std::vector<std::string> texts{app::ProgressStatusLine(0), i18n::StringText(IDS_MESSAGE_WARNING),
                                       QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(),
                                       QCoreApplication::translate("QFileDialog", "File &name:").toStdString()};
        app::AboutDialog about(nullptr);
        automation.onDialogShown = [&](ui::Dialog& d) {
            for (int id : {IDC_STATIC_ABOUT_NOTICE, IDC_STATIC_ABOUT_CREDITS}) texts.push_back(d.Item(id).Text());
            d.EndDialog(ui::IDOK);
        };
        about.RunModal();
        return texts;
    };
    pack.InitializeLanguages(kBase, "English");
    const std::vector<std::string> english = seen();
    EXPECT_EQ(english[0], "Please wait... Used Time: 00:00:00");
    for (const std::string& name : kShipped) {
        pack.InitializeLanguages(kBase, name);
        const std::vector<std::string> texts = seen();
        for (std::size_t i = 0; name != "English" && i < texts.size(); ++i)
            EXPECT_NE(texts[i], english[i]) << name << " " << i;
    }
    pack.InitializeLanguages(kBase, "English");
}

}  // namespace
