// Which language a file's name names, and which encoding.
#include <gtest/gtest.h>

#include <set>

#include "i18n/LanguageNameTable.h"
#include "platform/ui/Automation.h"

namespace {

using i18n::IdentifyLanguage;
using i18n::TextEncoding;

struct Identified {
    bool ok = false;
    std::string abbreviation = "unchanged";
    int primary = -1;
    int sub = -1;
};

Identified Identify(const std::string& name) {
    Identified r;
    r.ok = IdentifyLanguage(name, r.abbreviation, r.primary, r.sub);
    return r;
}

class LanguageNames : public ::testing::Test {
protected:
    ui::ScriptedAutomation automation;
};

TEST_F(LanguageNames, EnglishInAnyEncodingIsUnitedStatesEnglish) {
    for (const char* name : {"English", "ENGLISH_utf-8", "english_unicode"}) {
        const Identified r = Identify(name);
        EXPECT_TRUE(r.ok) << name;
        EXPECT_EQ(r.abbreviation, "english") << name;
        EXPECT_EQ((r.sub << 10) | r.primary, 0x409) << name;
    }
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(LanguageNames, RowsAreFoundByNameOrByAbbreviationFirstRowFirst) {
    Identified r = Identify("German");
    EXPECT_EQ(r.abbreviation, "deu");
    EXPECT_EQ(r.primary, 7);
    EXPECT_EQ(r.sub, 0);
    r = Identify("DEU");
    EXPECT_EQ(r.abbreviation, "deu");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x7);
    // Several rows say ENU; the first of them, "English", wins.
    r = Identify("ENU");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x9);
    r = Identify("ara");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x1);
    r = Identify("Spanish_United States_utf-8");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x540A);
    EXPECT_EQ(r.abbreviation, "est");
    r = Identify("Chinese_Simplified_utf-8");
    EXPECT_EQ(r.abbreviation, "chs");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x4);
    r = Identify("English_United_Kingdom)");
    EXPECT_EQ((r.sub << 10) | r.primary, 0x809);
    EXPECT_EQ(r.abbreviation, "eng");
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(LanguageNames, AnUnknownNameWarnsAndLeavesTheOutputsAlone) {
    const Identified r = Identify("English_United_Kingdom");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.abbreviation, "unchanged");
    EXPECT_EQ(r.primary, -1);
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              "Your language file name may be not proper,\n please read the help file!");
    EXPECT_EQ(automation.boxes[0].caption, "english_united_kingdom");
    EXPECT_EQ(automation.boxes[0].ownerId, 0);
}

TEST_F(LanguageNames, TheMarkerIsCutFromTheEndWhereverItStands) {
    EXPECT_EQ(i18n::DetectEncoding("Chinese_utf-8_Simplified"), TextEncoding::Utf8);
    EXPECT_EQ(i18n::DetectEncoding("Russian_UNICODE"), TextEncoding::Unicode);
    EXPECT_EQ(i18n::DetectEncoding("x_unicode_utf-8"), TextEncoding::Utf8);
    EXPECT_EQ(i18n::DetectEncoding("German"), TextEncoding::Ansi);
    EXPECT_FALSE(Identify("Chinese_utf-8_Simplified").ok);
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].caption, "chinese_utf-8_simp");
    EXPECT_TRUE(Identify("Russian_unicode").ok);
}

TEST(LanguageNameTable, RowsAreDistinctWellFormedAndKnowTheirLocale) {
    std::set<std::string> names;
    for (const auto& row : i18n::kLanguageNameTable) {
        EXPECT_TRUE(names.insert(i18n::LowerCase(row.name)).second) << row.name;
        EXPECT_EQ(std::string(row.abbreviation).size(), 3u) << row.name;
        EXPECT_NE(row.id & 0x3FF, 0) << row.name;
        EXPECT_FALSE(std::string(row.posixLocale).empty()) << row.name;
    }
    EXPECT_EQ(std::string(i18n::kLanguageNameTable.front().name), "Afrikaans");
    EXPECT_EQ(i18n::kLanguageNameTable.back().id, 0x46A);
    EXPECT_EQ(i18n::PosixLocaleOf(7, 1), "de_DE");
    EXPECT_EQ(i18n::PosixLocaleOf(9, 1), "en_US");
    EXPECT_EQ(i18n::AnsiCodePageOf(0x19, 1), 1251);
    EXPECT_EQ(i18n::AnsiCodePageOf(4, 0), 936);
    EXPECT_EQ(i18n::AnsiCodePageOf(4, 1), 950);
    EXPECT_EQ(i18n::AnsiCodePageOf(7, 0), 1252);
}

}  // namespace
