// The interface font: stored per language, made at every load, chosen by the user.
#include <gtest/gtest.h>

#include "LanguageTestSupport.h"
#include "TestEnv.h"
#include "i18n/LanguagePack.h"
#include "platform/ui/Automation.h"
#include "settings/Profile.h"

namespace {

using i18n::LanguagePack;

class InterfaceFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("English.ini", i18ntest::EnglishFile());
        folder.Write("German.ini", i18ntest::GermanFile());
    }
    LanguagePack& pack = LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    i18ntest::LanguageFolder folder;
};

TEST_F(InterfaceFontTest, TheFirstRunHasTheDesktopsFontAndSize) {
    pack.InitializeLanguages(folder.base(), "english");
    ASSERT_TRUE(pack.interfaceFont());
    ui::LogFont expected = ui::DesktopFont();
    expected.weight = 400;
    EXPECT_EQ(*pack.interfaceFont(), expected);
    EXPECT_LT(expected.height, 0);
    EXPECT_FALSE(expected.faceName.empty());
}

TEST_F(InterfaceFontTest, StoredValuesAreReadBackIntoTheirFields) {
    registry::AppProfile profile = settings::Profile();
    profile.WriteInt("German", "lfCharSet", 134);
    profile.WriteInt("German", "lfItalic", 0x101);  // only the low 8 bits count
    profile.WriteInt("German", "lfHeight", -16);
    profile.WriteString("German", "lfFaceName", std::string(40, 'F'));
    pack.InitializeLanguages(folder.base(), "German");
    ASSERT_TRUE(pack.interfaceFont());
    EXPECT_EQ(pack.interfaceFont()->charSet, 134);
    EXPECT_EQ(pack.interfaceFont()->italic, 1);
    EXPECT_EQ(pack.interfaceFont()->height, -16);
    EXPECT_EQ(pack.interfaceFont()->faceName, std::string(31, 'F'));
}

TEST_F(InterfaceFontTest, AFontThatCannotBeMadeIsReportedAndTextsStillLoad) {
    settings::Profile().WriteInt("english", "lfHeight", -1000000);
    pack.InitializeLanguages(folder.base(), "english");
    EXPECT_FALSE(pack.interfaceFont());
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, "Failed to create font");
    EXPECT_EQ(automation.boxes[0].caption, "Error");
    EXPECT_EQ(automation.boxes[0].ownerId, 0);
    EXPECT_EQ(pack.DialogText(1022), "Exit");
}

TEST_F(InterfaceFontTest, SavingWritesThe8BitFieldsUnsignedAndNeverTheQuality) {
    pack.InitializeLanguages(folder.base(), "German");
    ui::LogFont font;
    font.height = -20;
    font.weight = 700;
    font.charSet = 204;
    font.quality = 5;
    font.pitchAndFamily = 0x22;
    font.faceName = "DejaVu Serif";
    pack.SaveInterfaceFont(font);
    registry::AppProfile profile = settings::Profile();
    EXPECT_EQ(profile.GetInt("German", "lfCharSet", 0), 204);
    EXPECT_EQ(profile.GetInt("German", "lfQuality", -1), -1);
    EXPECT_EQ(profile.GetString("German", "lfFaceName", ""), "DejaVu Serif");
    pack.LoadInterfaceFont();
    font.quality = 0;
    EXPECT_EQ(*pack.interfaceFont(), font);
}

TEST_F(InterfaceFontTest, ALanguageWhoseNameHasOuterBlanksKeepsItsFont) {
    // The language's name is the settings key of its font: " spaced " ends in a blank.
    folder.Write(" spaced .ini", i18ntest::GermanFile());
    pack.InitializeLanguages(folder.base(), " spaced ");
    ASSERT_EQ(pack.DialogText(1022), "Beenden");
    ui::LogFont font;
    font.height = -19;
    font.weight = 700;
    font.charSet = 204;
    font.faceName = "DejaVu Sans";
    pack.SaveInterfaceFont(font);
    pack.InitializeLanguages(folder.base(), " spaced ");
    ASSERT_TRUE(pack.interfaceFont());
    EXPECT_EQ(*pack.interfaceFont(), font);
    // Not the font of a language named without the blanks.
    EXPECT_EQ(settings::Profile().GetString("spaced", "lfFaceName", "none"), "none");
}

}  // namespace
