// The profile reader: the Windows reader's rules for names, values and
// comments, and the encodings language files come in.
#include <gtest/gtest.h>

#include <clocale>

#include "TestEnv.h"
#include "platform/profile/Folder.h"
#include "platform/profile/Locale.h"
#include "platform/profile/ProfileFile.h"

namespace {

using profile::ProfileFile;
using profile::ReadOptions;

TEST(ProfileFile, NamesIgnoreCaseBlanksAreTrimmedAndTheFirstMatchWins) {
    const ProfileFile file = ProfileFile::FromBytes(
        "; a comment = not a key\r\n"
        "[Dialog]\r\n"
        "  Caption  =  Quorvel  \r\n"
        "caption=second\r\n"
        "Quoted=\"  kept blanks  \"\r\n"
        "Single='x'\r\n"
        "Half=\"open\r\n"
        "Semicolon=a ; b\r\n"
        "NoEquals\r\n"
        "[ dialog ]\r\n"
        "Later=in the second section of the same name\r\n"
        "[STRING]\n"
        "\tTabbed\t=\tvalue\n");
    EXPECT_EQ(file.GetString("DIALOG", "CAPTION", "d"), "Quorvel");
    EXPECT_EQ(file.GetString("dialog", "Quoted", "d"), "  kept blanks  ");
    EXPECT_EQ(file.GetString("dialog", "Single", "d"), "x");
    EXPECT_EQ(file.GetString("dialog", "Half", "d"), "\"open");
    EXPECT_EQ(file.GetString("dialog", "Semicolon", "d"), "a ; b");
    EXPECT_EQ(file.GetString("dialog", "NoEquals", "d"), "d");
    EXPECT_EQ(file.GetString("dialog", "Later", "d"), "d");
    EXPECT_EQ(file.GetString("string", "tabbed", "d"), "value");
    EXPECT_EQ(file.GetString("missing", "Caption", "fallback"), "fallback");
}

TEST(ProfileFile, MissingFileGivesTheDefault) {
    testenv::TempDir dir;
    EXPECT_EQ(profile::GetPrivateProfileString("S", "k", "", (dir / "none.ini").string()), "");
    EXPECT_EQ(profile::GetPrivateProfileString("S", "k", "x", dir.path().string()), "x");
}

TEST(ProfileFile, LongValuesAreCutAt2047BytesWithoutSplittingACharacter) {
    const std::string ascii(3000, 'a');
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=" + ascii).GetString("s", "k", "").size(), 2047u);
    // 2046 ASCII bytes and then a two-byte letter: the letter does not fit whole.
    const std::string text = std::string(2046, 'a') + "\xC3\xB6" + "tail";
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=" + text).GetString("s", "k", ""),
              std::string(2046, 'a'));
}

std::string Utf16Le(std::u16string_view text, bool bom) {
    std::string bytes = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TEST(ProfileFile, Utf16FilesAreDecodedWithOrWithoutAByteOrderMark) {
    const std::u16string text = u"[STRING]\r\nIDS=Gr\u00FC\u00DFe \u4F60\u597D \U0001F600\r\n";
    const std::string expected =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x98\x80";
    EXPECT_EQ(ProfileFile::FromBytes(Utf16Le(text, true)).GetString("string", "ids", ""), expected);
    ReadOptions utf16;
    utf16.utf16 = true;
    EXPECT_EQ(ProfileFile::FromBytes(Utf16Le(text, false), utf16).GetString("string", "ids", ""),
              expected);
    // Big-endian with its mark.
    std::string be = "\xFE\xFF";
    for (char16_t c : std::u16string(u"[a]\nk=\u0416")) {
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    EXPECT_EQ(ProfileFile::FromBytes(be).GetString("a", "k", ""), "\xD0\x96");
}

TEST(ProfileFile, AUtf8MarkIsSkippedAndValidUtf8IsNeverRecoded) {
    ReadOptions ansi;
    ansi.ansiCodePage = 1252;
    const ProfileFile file = ProfileFile::FromBytes("\xEF\xBB\xBF[MENU]\nk=\xC3\xB6", ansi);
    EXPECT_EQ(file.GetString("menu", "k", ""), "\xC3\xB6");
}

TEST(ProfileFile, FilesThatAreNotUtf8AreDecodedFromTheirCodePage) {
    ReadOptions western;
    western.ansiCodePage = 1252;
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=Gr\xF6\xDF"
                                     "e \x80",
                                     western)
                  .GetString("s", "k", ""),
              "Gr\xC3\xB6\xC3\x9F"
              "e \xE2\x82\xAC");
    ReadOptions cyrillic;
    cyrillic.ansiCodePage = 1251;
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=\xDF\xE7\xFB\xEA", cyrillic).GetString("s", "k", ""),
              "\xD0\xAF\xD0\xB7\xD1\x8B\xD0\xBA");  // "Язык"
    ReadOptions chinese;
    chinese.ansiCodePage = 936;
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=\xD3\xEF\xD1\xD4", chinese).GetString("s", "k", ""),
              "\xE8\xAF\xAD\xE8\xA8\x80");  // "语言"
    // Without a code page the bytes are kept as they are.
    EXPECT_EQ(ProfileFile::FromBytes("[s]\nk=\xF6").GetString("s", "k", ""), "\xF6");
}

TEST(TextDecoding, Utf8ValidityFollowsTheStandard) {
    EXPECT_TRUE(profile::IsValidUtf8("plain \xC3\xB6 \xE4\xBD\xA0 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(profile::IsValidUtf8("\xF6"));
    EXPECT_FALSE(profile::IsValidUtf8("\xC0\xAF"));                        // overlong
    EXPECT_FALSE(profile::IsValidUtf8("\xED\xA0\x80"));                    // surrogate
    EXPECT_FALSE(profile::IsValidUtf8("\xE4\xBD"));                        // cut short
    EXPECT_EQ(profile::CodePageToUtf8("a\x81z", 1252), "a\xEF\xBF\xBDz");  // undefined in 1252
}

TEST(Folder, FindsEntriesIgnoringLetterCaseAndTellsFilesFromFolders) {
    testenv::TempDir dir;
    testenv::WriteFile(dir / "German.ini", "x");
    std::filesystem::create_directory(dir / "folder.ini");
    const std::string folder = dir.path().string();
    EXPECT_EQ(profile::FindIgnoringCase(folder, "GERMAN.INI"), folder + "/German.ini");
    EXPECT_EQ(profile::FindIgnoringCase(folder, "German.ini"), folder + "/German.ini");
    EXPECT_FALSE(profile::FindIgnoringCase(folder, "French.ini"));
    EXPECT_TRUE(profile::FileExists(folder + "/German.ini"));
    EXPECT_FALSE(profile::FileExists(folder + "/folder.ini"));
    EXPECT_EQ(profile::ListFolder(folder).size(), 2u);
    EXPECT_TRUE(profile::ListFolder(folder + "/missing").empty());
}

TEST(Locale, NumbersKeepThePointWhateverTheLanguage) {
    profile::SetLanguageLocale("de_DE");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    profile::SetLanguageLocale("xx_NOWHERE");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    profile::SetLanguageLocale("");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
