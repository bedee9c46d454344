// A language file is anyone's to write: no text of one can crash the program,
// show or take its memory, or make its window unusable.
#include <gtest/gtest.h>

#include "LanguageTestSupport.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/ui/Automation.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

// The built-in text's conversions in order ('s', 'd' or 'f'), so that each text is
// given arguments of the kinds it takes.
std::string Kinds(const std::string& text) {
    std::string kinds;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        i = text.find_first_not_of("-+ #0123456789.", i + 1);
        if (i == std::string::npos) break;
        if (text[i] != '%') kinds += text[i];
    }
    return kinds;
}

template <typename Format>
std::string WithArguments(const std::string& kinds, Format format) {
    if (kinds == "d") return format(7);
    if (kinds == "dd") return format(7, 8);
    if (kinds == "ddd") return format(7, 8, 9);
    if (kinds == "ds") return format(7, "A");
    if (kinds == "df") return format(7, 8.5);
    return format("A", "B");
}

struct HostileLanguageTest : ::testing::Test {
    i18n::LanguagePack& pack = i18n::LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    i18ntest::LanguageFolder folder;
};

TEST_F(HostileLanguageTest, EveryFormattedTextFallsBackToEnglishUnlessItsConversionsMatch) {
    int formatted = 0;
    for (const i18n::TextKey& row : i18n::kTextKeyTable) {
        const std::string builtIn = resources::BuiltInString(row.id), key = row.key;
        if (i18n::SectionOfKey(key) != "STRING" || builtIn.find('%') == std::string::npos) continue;
        ++formatted;
        const std::string kinds = Kinds(builtIn);
        ASSERT_TRUE(kinds == "d" || kinds == "dd" || kinds == "ddd" || kinds == "ds" ||
                    kinds == "df" || kinds == "s" || kinds == "ss")
            << key << " takes " << kinds << ": give it its arguments above";
        const auto english = WithArguments(
            kinds, [&](auto... args) { return StrFormat(builtIn.c_str(), args...); });
        // The last is a translation that keeps the conversions: it is used.
        for (const std::string& text : std::vector<std::string>{
                 "%s%s%s%s%s%s%s%s%s%s%s%s%n%n%n", "%s|%p|%p|%p|%p", "%s%1000000000d", "%s %d %d",
                 "%1$s %2$s", "%-40s %s", "%s %s 100%", "%s %s %ls", "%s %s %*s", "<<" + builtIn}) {
            folder.Write("Hostile.ini", "[STRING]\n" + key + "=" + text + "\n");
            ASSERT_EQ(pack.InitializeLanguages(folder.base(), "hostile"), 1);
            EXPECT_EQ(WithArguments(kinds,
                                    [&](auto... args) { return i18n::FormatText(row.id, args...); }),
                      text[0] == '<' ? "<<" + english : english)
                << key << "=" << text;
        }
    }
    EXPECT_GE(formatted, 8);
}

TEST_F(HostileLanguageTest, AHugeFileReadsAsNoneAndAHugeFontIsBroughtToAScreensSize) {
    std::string huge = "[STRING]\nIDS_MESSAGE_WARNING=Warnung\n";
    huge.resize(5 * 1024 * 1024, ';');
    folder.Write("French.ini", huge);
    ASSERT_EQ(pack.InitializeLanguages(folder.base(), "french"), 1);
    EXPECT_EQ(pack.StringText(resources::IDS_MESSAGE_WARNING), "Warning");
    for (const auto& [stored, shown] : {std::pair{-2048, -72}, {2048, 72}, {-1, -6}, {-16, -16}}) {
        settings::Profile().WriteInt("french", "lfHeight", stored);
        ASSERT_EQ(pack.InitializeLanguages(folder.base(), "french"), 1);
        EXPECT_EQ(pack.interfaceFont().value_or(ui::LogFont{}).height, shown) << stored;
    }
    EXPECT_TRUE(automation.boxes.empty());
}

}  // namespace
