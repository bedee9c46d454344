// Loading language files into the pack, the lookups and their fallbacks, and
// putting texts and the interface font on a dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "LanguageTestSupport.h"
#include "TestEnv.h"
#include "Watchdog.h"
#include "i18n/LanguagePack.h"
#include "i18n/TextKeyTable.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using i18n::LanguagePack;
using i18ntest::LanguageFolder;

class LanguagePackTest : public ::testing::Test {
protected:
    LanguagePack& pack = LanguagePack::Instance();
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    LanguageFolder folder;
};

TEST_F(LanguagePackTest, LookupsFallBackToTheBuiltInEnglishTexts) {
    folder.Write("Test.ini",
                 "[STRING]\nIDS_MESSAGE_ERROR=Fehler\nIDS_MESSAGE_WARNING=\n"
                 "[DIALOG]\nIDC_BUTTON_CONVERT=Los\nIDC_BUTTON_ABOUT=Info\n"
                 "IDD_PROGRAM_CAPTION=Titel\nIDC_BUTTON_EXIT=\"\"\n"
                 "[MENU]\nIDM_ABOUT=Info\n");
    ASSERT_EQ(pack.InitializeLanguages(folder.base(), "test"), 1);
    EXPECT_EQ(pack.StringText(105), "Fehler");
    // An empty value is the same as a missing one.
    EXPECT_EQ(pack.StringText(108), "Warning");
    EXPECT_EQ(pack.StringText(143), "Please first stop converting");
    EXPECT_EQ(pack.StringText(9999), "");
    EXPECT_EQ(pack.DialogText(1022), "");
    // One key, two IDs.
    EXPECT_EQ(pack.DialogText(1002), "Los");
    EXPECT_EQ(pack.DialogText(125), "Los");
    EXPECT_EQ(pack.DialogText(1027), "Info");
    EXPECT_EQ(pack.DialogText(100), "Info");
    EXPECT_EQ(pack.DialogText(102), "Titel");
    EXPECT_EQ(pack.DialogText(1045), "Titel");
    EXPECT_EQ(pack.DialogText(124), "");
    EXPECT_EQ(pack.DialogTextOrBuiltIn(124), "Stop");
    EXPECT_EQ(pack.DialogTextOrBuiltIn(125), "Los");
    EXPECT_EQ(pack.MenuText(32771), "Info");
    EXPECT_EQ(pack.MenuText(32772), "");
    EXPECT_EQ(pack.MenuText(131 * 65536), "");
    EXPECT_EQ(i18n::StringText(105), "Fehler");
    // The name was identified as nothing: the warning, and loading went on.
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].caption, "test");
}

TEST(TextKeys, EscapesAreLowerCaseTabLineFeedAndReturnOnly) {
    EXPECT_EQ(i18n::Unescape("a\\tb"), "a\tb");
    EXPECT_EQ(i18n::Unescape("a\\Tb"), "a\\Tb");
    EXPECT_EQ(i18n::Unescape("one\\ntwo\\r\\n"), "one\ntwo\r\n");
    // No escape for the backslash: a doubled one still turns into a tab.
    EXPECT_EQ(i18n::Unescape("c:\\\\temp"), "c:\\\temp");
    EXPECT_EQ(i18n::SectionOfKey("IDR_MAINFRAME"), "MENU");
    EXPECT_EQ(i18n::SectionOfKey("IDX_OTHER"), "");
}

TEST(TextKeys, NoSectionHoldsAnIdTwice) {
    for (std::size_t i = 0; i < i18n::kTextKeyTable.size(); ++i)
        for (std::size_t j = i + 1; j < i18n::kTextKeyTable.size(); ++j) {
            const auto& a = i18n::kTextKeyTable[i];
            const auto& b = i18n::kTextKeyTable[j];
            if (i18n::SectionOfKey(a.key) == i18n::SectionOfKey(b.key)) {
                EXPECT_NE(a.id, b.id) << a.key;
            }
        }
}

// A dialog like the main window, with unnamed labels.
ui::DialogTemplate SampleTemplate() {
    ui::DialogTemplate t;
    t.id = 102;
    t.caption = "Template caption";
    t.rect = {0, 0, 200, 100};
    t.controls = {
        {1027, ui::ControlKind::PushButton, "About", {5, 5, 60, 14}, ui::kTabStop},
        {65535, ui::ControlKind::Static, "Unnamed", {5, 25, 60, 10}, 0},
        {-1, ui::ControlKind::Static, "Also unnamed", {5, 40, 60, 10}, 0},
        {1004, ui::ControlKind::Static, "Status", {5, 55, 60, 10}, 0},
        {1000, ui::ControlKind::Static, "Video", {5, 70, 100, 20}, ui::kWrap},
    };
    return t;
}

TEST_F(LanguagePackTest, TextsReachTheirControlsTogetherWithTheInterfaceFont) {
    folder.Write("English.ini",
                 "[DIALOG]\nIDC_BUTTON_ABOUT=Info\nIDC_BUTTON_ADD_VIDEO=one\\ttwo\\nthree\n"
                 "IDD_PROGRAM_CAPTION=\n");
    settings::Profile().WriteInt("english", "lfHeight", -23);
    settings::Profile().WriteInt("english", "lfWeight", 700);
    ASSERT_EQ(pack.InitializeLanguages(folder.base(), "English"), 1);

    ui::Dialog dialog(SampleTemplate(), nullptr);
    const ui::LogFont windowFont = dialog.GetFont();
    const ui::LogFont statusFont = dialog.Item(1004).GetFont();
    EXPECT_EQ(pack.ApplyToDialog(dialog, 102), 1);

    EXPECT_EQ(dialog.Item(1027).Text(), "Info");
    EXPECT_EQ(dialog.Item(1027).GetFont().height, -23);
    EXPECT_EQ(dialog.Item(1027).GetFont().weight, 700);
    EXPECT_EQ(dialog.Item(1000).Text(), "one\ttwo\nthree");
    // No caption text: caption and window font stay, and so do controls without text.
    EXPECT_EQ(dialog.Caption(), "Template caption");
    EXPECT_EQ(dialog.GetFont(), windowFont);
    EXPECT_EQ(dialog.Item(1004).Text(), "Status");
    EXPECT_EQ(dialog.Item(1004).GetFont(), statusFont);
}

TEST_F(LanguagePackTest, ACaptionTextBringsTheFontToTheWindowButNotToItsOtherControls) {
    folder.Write("English.ini", "[DIALOG]\nIDD_PROGRAM_CAPTION=Localized title\n");
    settings::Profile().WriteInt("english", "lfHeight", -30);
    pack.InitializeLanguages(folder.base(), "english");
    ui::Dialog dialog(SampleTemplate(), nullptr);
    const ui::LogFont statusFont = dialog.Item(1004).GetFont();
    pack.ApplyToDialog(dialog, 102);
    EXPECT_EQ(dialog.Caption(), "Localized title");
    EXPECT_EQ(dialog.GetFont().height, -30);
    EXPECT_EQ(dialog.Item(1004).GetFont(), statusFont);
    EXPECT_EQ(dialog.Item(1027).Text(), "About");
}

TEST_F(LanguagePackTest, WithoutLanguageFilesNothingIsLoadedOrApplied) {
    // A value from an earlier language must not survive a start without files.
    folder.Write("English.ini", "[DIALOG]\nIDC_BUTTON_ABOUT=Info\n");
    pack.InitializeLanguages(folder.base(), "English");
    LanguageFolder empty;
    EXPECT_EQ(pack.InitializeLanguages(empty.base(), "German"), 0);
    EXPECT_EQ(pack.currentLanguage(), "english");
    EXPECT_TRUE(pack.catalog().empty());
    EXPECT_FALSE(pack.interfaceFont());
    EXPECT_EQ(pack.DialogText(1027), "");
    EXPECT_EQ(pack.StringText(108), "Warning");
    EXPECT_EQ(pack.LoadLanguage("English"), 0);

    ui::Dialog dialog(SampleTemplate(), nullptr);
    const ui::LogFont font = dialog.Item(1027).GetFont();
    EXPECT_EQ(pack.ApplyToDialog(dialog, 102), 0);
    EXPECT_EQ(dialog.Item(1027).Text(), "About");
    EXPECT_EQ(dialog.Item(1027).GetFont(), font);
}

TEST_F(LanguagePackTest, TheCatalogueIsSortedInByteOrderAndListsFoldersToo) {
    folder.Write("German.ini", "");
    folder.Write("English.ini", "");
    folder.Write("italian.ini", "");
    folder.Write("readme.txt", "");
    folder.Write("Upper.INI", "");
    std::filesystem::create_directory(std::filesystem::path(folder.base()) / "language" /
                                      "Zfolder.ini");
    pack.InitializeLanguages(folder.base(), "english");
    const std::vector<std::string> expected = {"English", "German", "Upper", "Zfolder", "italian"};
    EXPECT_EQ(pack.catalog(), expected);
    EXPECT_EQ(pack.CatalogEntry(4), "italian");
    EXPECT_EQ(pack.CatalogEntry(5), "");

    // Choosing the folder loads nothing and breaks nothing.
    std::string name = "Zfolder";
    pack.SelectLanguage(name);
    EXPECT_EQ(pack.currentLanguage(), "Zfolder");
    EXPECT_EQ(pack.StringText(105), "Error");
}

TEST_F(LanguagePackTest, SelectionKeepsTheRequestedSpellingOrFallsBackToEnglish) {
    folder.Write("German.ini", i18ntest::GermanFile());
    folder.Write("English.ini", i18ntest::EnglishFile());
    pack.InitializeLanguages(folder.base(), "GERMAN");
    EXPECT_EQ(pack.currentLanguage(), "GERMAN");
    EXPECT_EQ(pack.DialogText(1022), "Beenden");  // the file serves whatever the case
    EXPECT_EQ(pack.primaryLanguage(), 7);
    EXPECT_EQ(pack.subLanguage(), 0);

    std::string name = "Klingon";
    pack.SelectLanguage(name);
    EXPECT_EQ(name, "english");
    EXPECT_EQ(pack.currentLanguage(), "english");
    EXPECT_EQ(pack.DialogText(1022), "Exit");  // English.ini, found ignoring case
    EXPECT_EQ((pack.subLanguage() << 10) | pack.primaryLanguage(), 0x409);
}

TEST_F(LanguagePackTest, EncodingsFollowTheFileName) {
    // Made on Windows: code page 1251 for an "Ansi" Russian file.
    folder.Write("Russian.ini", "[STRING]\nIDS_MESSAGE_ERROR=\xCE\xF8\xE8\xE1\xEA\xE0\n");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[STRING]\r\nIDS_MESSAGE_ERROR=Erreur\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    folder.Write("French_unicode.ini", utf16);
    folder.Write("German.ini",
                 "[STRING]\nIDS_MESSAGE_ERROR=Gr\xF6\xDF"
                 "e\n");  // 1252
    pack.InitializeLanguages(folder.base(), "Russian");
    EXPECT_EQ(pack.encoding(), i18n::TextEncoding::Ansi);
    EXPECT_EQ(pack.StringText(105),
              "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0");  // "Ошибка"
    std::string name = "French_unicode";
    pack.SelectLanguage(name);
    EXPECT_EQ(pack.encoding(), i18n::TextEncoding::Unicode);
    EXPECT_EQ(pack.StringText(105), "Erreur");
    name = "German";
    pack.SelectLanguage(name);
    EXPECT_EQ(pack.StringText(105),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(pack.filePath(), folder.base() + "/language/German.ini");
}

TEST(BaseFolder, TheEnglishFileOneLevelUpDecides) {
    testenv::TempDir root;
    std::filesystem::create_directories(root / "bin");
    std::filesystem::create_directories(root / "language");
    const std::string bin = (root / "bin").string();
    EXPECT_EQ(i18n::FindBaseFolderOf(bin + "/"), bin);
    testenv::WriteFile(root / "language" / "German.ini", "");
    EXPECT_EQ(i18n::FindBaseFolderOf(bin + "/"), bin);
    testenv::WriteFile(root / "language" / "English.ini", "");
    EXPECT_EQ(i18n::FindBaseFolderOf(bin + "/"), root.path().string());
    EXPECT_EQ(i18n::FindBaseFolderOf("/"), "/");
}

TEST(BaseFolder, AnInstalledProgramReadsTheShareFolderBesideItsBinFolder) {
    testenv::TempDir root;
    std::filesystem::create_directories(root / "bin");
    const std::string bin = (root / "bin").string() + "/";
    // A build tree: nothing installed, the data lies beside the program.
    EXPECT_EQ(shell::DataFolderOf(bin), bin);

    std::filesystem::create_directories(root / "share" / "quorvel-converter" / "language");
    testenv::WriteFile(root / "share" / "quorvel-converter" / "language" / "English.ini", "");
    const std::string share = (root / "share" / "quorvel-converter").string();
    EXPECT_EQ(shell::DataFolderOf(bin), share + "/");
    EXPECT_EQ(i18n::FindBaseFolderOf(shell::DataFolderOf(bin)), share);
    // The help location maps into the same folder.
    EXPECT_EQ(shell::HelpPageFile(shell::DataFolderOf(bin) + "help.chm::/Introduction.htm"),
              share + "/help/Introduction.htm");
}

TEST_F(LanguagePackTest, ALanguageFileThatIsAFifoReadsAsAnEmptyOne) {
    folder.Write("English.ini", i18ntest::EnglishFile());
    const auto fifo = std::filesystem::path(folder.base()) / "language" / "German.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    testenv::Watchdog watchdog("loading a FIFO as a language file", std::chrono::seconds(10));
    ASSERT_EQ(pack.InitializeLanguages(folder.base(), "German"), 1);
    EXPECT_EQ(pack.currentLanguage(), "German");
    EXPECT_EQ(pack.DialogText(1022), "");
    EXPECT_EQ(pack.StringText(resources::IDS_MESSAGE_WARNING), "Warning");  // built in
    // The base folder is still found by its English file beside a FIFO.
    EXPECT_EQ(i18n::FindBaseFolderOf(folder.base() + "/bin"), folder.base());
}

}  // namespace
