// A language file is anyone's to write: no text of one can crash the program,
// show its memory, take its memory or make its window unusable.
#include <gtest/gtest.h>

#include "LanguageTestSupport.h"
#include "TestEnv.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/ui/Automation.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using i18n::LanguagePack;

class HostileLanguageTest : public ::testing::Test {
protected:
    LanguagePack& pack = LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    i18ntest::LanguageFolder folder;
};

TEST_F(HostileLanguageTest, EveryFormattedTextFallsBackToEnglishUnlessItsConversionsMatch) {
    const std::vector<std::string> hostile = {
        "%s%s%s%s%s%s%s%s%s%s%s%s%n%n%n", "%s|%p|%p|%p|%p", "%s%1000000000d", "%s %d %d",
        "%1$s %2$s", "%-40s %s", "%s %s 100%", "%s %s %ls", "%s %s %*s"};
    int formatted = 0;
    for (const i18n::TextKey& row : i18n::kTextKeyTable) {
        const std::string builtIn = resources::BuiltInString(row.id);
        if (i18n::SectionOfKey(row.key) != "STRING" || builtIn.find('%') == std::string::npos)
            continue;
        ++formatted;
        const std::string english = StrFormat(builtIn.c_str(), "A", "B");
        for (const std::string& text : hostile) {
            SCOPED_TRACE(std::string(row.key) + "=" + text);
            folder.Write("Hostile.ini", "[STRING]\n" + std::string(row.key) + "=" + text + "\n");
            ASSERT_EQ(pack.InitializeLanguages(folder.base(), "hostile"), 1);
            EXPECT_EQ(i18n::FormatText(row.id, "A", "B"), english);
        }
        // A translation that keeps the conversions is used.
        folder.Write("Hostile.ini", "[STRING]\n" + std::string(row.key) + "=<<" + builtIn + ">>\n");
        pack.InitializeLanguages(folder.base(), "hostile");
        EXPECT_EQ(i18n::FormatText(row.id, "A", "B"), "<<" + english + ">>") << row.key;
    }
    EXPECT_GE(formatted, 6);
}

TEST_F(HostileLanguageTest, AHugeFileReadsAsNoneAndAHugeFontIsBroughtToAScreensSize) {
    std::string huge = "[STRING]\nIDS_MESSAGE_WARNING=Warnung\n";
    huge.resize(5 * 1024 * 1024, ';');
    folder.Write("French.ini", huge);
    folder.Write("German.ini", i18ntest::GermanFile());
    ASSERT_EQ(pack.InitializeLanguages(folder.base(), "french"), 1);
    EXPECT_EQ(pack.StringText(resources::IDS_MESSAGE_WARNING), "Warning");

    for (const auto& [stored, shown] : std::vector<std::pair<int, int>>{
             {-2048, -72}, {2048, 72}, {-1, -6}, {-16, -16}}) {
        settings::Profile().WriteInt("German", "lfHeight", stored);
        ASSERT_EQ(pack.InitializeLanguages(folder.base(), "german"), 1);
        ASSERT_TRUE(pack.interfaceFont());
        EXPECT_EQ(pack.interfaceFont()->height, shown) << stored;
    }
    EXPECT_TRUE(automation.boxes.empty());
}

}  // namespace
