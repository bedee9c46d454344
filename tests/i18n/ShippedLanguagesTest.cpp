// The language files we ship: complete, identified, and fitting the main window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeShell.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/profile/ProfileFile.h"
#include "platform/ui/Automation.h"
#include "resources/Resources.h"

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

TEST_F(ShippedLanguages, EachIsIdentifiedAndEveryButtonTextFitsItsButton) {
    const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR");
    for (const std::string& name : kShipped) {
        SCOPED_TRACE(name);
        automation.boxes.clear();
        pack.InitializeLanguages(kBase, name);
        EXPECT_TRUE(automation.boxes.empty()) << "not identified";
        EXPECT_EQ(pack.currentLanguage(), name);

        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog&) {
            // Both labels of the Convert button must fit, so measure the longer too.
            for (const bool converting : {true, false}) {
                window.isConverting = converting ? 1 : 0;
                window.ApplyState();
                for (const int id : window.ChildIds()) {
                    ui::Control c = window.Item(id);
                    if (c.kind() != ui::ControlKind::PushButton || !c.IsVisible()) continue;
                    EXPECT_LE(c.TextWidth() + 8, c.Geometry().width)
                        << "button " << id << " \"" << c.Text() << "\"";
                }
            }
            if (shots) {
                std::filesystem::create_directories(shots);
                window.SaveScreenshot(std::string(shots) + "/main-" + name + ".png");
            }
            window.RequestClose();
        };
        window.RunModal();
    }
}

}  // namespace
