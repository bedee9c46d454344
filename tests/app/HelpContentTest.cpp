// The bundled help: where the build puts it, that its pages hold together
// without outside resources, and that it quotes the program's messages exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/HelpAndAbout.h"
#include "i18n/BrowserLaunchText.h"
#include "platform/shell/Shell.h"
#include "resources/AboutDialogTemplate.h"
#include "resources/Resources.h"

#if defined(QUORVEL_HELP_SOURCE_DIR) && defined(QUORVEL_HELP_BUILD_DIR)

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<fs::path> HelpFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(QUORVEL_HELP_SOURCE_DIR)) {
        const auto ext = entry.path().extension();
        if (ext == ".htm" || ext == ".css") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<fs::path> Pages() {
    std::vector<fs::path> pages;
    for (const auto& f : HelpFiles())
        if (f.extension() == ".htm") pages.push_back(f);
    return pages;
}

// The text a reader sees: tags dropped, entities decoded, blanks collapsed.
std::string VisibleText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<br>"), "\n");
    text = std::regex_replace(text, std::regex("<[^>]*>"), "");
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#x27;", "'"}, {"&nbsp;", " "},
        {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        text = std::regex_replace(text, std::regex(from), to);
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

std::string Collapsed(const std::string& text) {
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

TEST(HelpContentTest, TheBuildTreeHoldsTheHelpWhereTheProgramLooksForIt) {
    // The program sits in the folder above the help folder.
    const std::string programFolder = fs::path(QUORVEL_HELP_BUILD_DIR).parent_path().string() + "/";
    const std::string intro = shell::HelpPageFile(programFolder + app::kHelpLocation);
    ASSERT_FALSE(intro.empty());
    EXPECT_TRUE(fs::is_regular_file(intro)) << intro;
    for (const auto& file : HelpFiles()) {
        const fs::path copy = fs::path(QUORVEL_HELP_BUILD_DIR) / file.filename();
        ASSERT_TRUE(fs::is_regular_file(copy)) << copy;
        std::string page = Read(file);
        const std::string version = std::string(resources::kVersionText).substr(8);
        for (auto at = page.find("@PROJECT_VERSION@"); at != std::string::npos;
             at = page.find("@PROJECT_VERSION@"))
            page.replace(at, 17, version);
        EXPECT_EQ(Read(copy), page) << copy;
    }
}

TEST(HelpContentTest, PagesLinkOnlyToEachOtherAndUseNoOutsideResources) {
    const std::vector<fs::path> pages = Pages();
    ASSERT_GE(pages.size(), 10u);
    const std::regex reference(R"((href|src)\s*=\s*"([^"]*)\")");
    for (const auto& page : pages) {
        const std::string html = Read(page);
        const std::string name = page.filename().string();
        EXPECT_EQ(html.find("<script"), std::string::npos) << name;
        EXPECT_EQ(html.find("@import"), std::string::npos) << name;
        EXPECT_NE(html.find("href=\"style.css\""), std::string::npos) << name;
        EXPECT_NE(html.find("href=\"Introduction.htm\""), std::string::npos) << name;
        EXPECT_NE(html.find("<title>"), std::string::npos) << name;
        for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it) {
            const std::string target = (*it)[2];
            ASSERT_FALSE(target.empty()) << name;
            EXPECT_EQ(target.find(':'), std::string::npos) << name << ": " << target;
            EXPECT_NE(target.rfind("//", 0), 0u) << name << ": " << target;
            const std::size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const fs::path linked = file.empty() ? page : page.parent_path() / file;
            ASSERT_TRUE(fs::is_regular_file(linked)) << name << ": " << target;
            if (hash != std::string::npos) {
                EXPECT_NE(Read(linked).find("id=\"" + target.substr(hash + 1) + "\""),
                          std::string::npos)
                    << name << ": " << target;
            }
        }
    }
    const std::string css = Read(fs::path(QUORVEL_HELP_SOURCE_DIR) / "style.css");
    EXPECT_EQ(css.find("url("), std::string::npos);
    EXPECT_EQ(css.find("@import"), std::string::npos);
}

TEST(HelpContentTest, TheHomePageSaysWhatTheProgramIsItsVersionAndWhereItsSettingsLive) {
    const std::string text = VisibleText(Read(fs::path(QUORVEL_HELP_BUILD_DIR) / "Home.htm"));
    EXPECT_NE(text.find("Quorvel Video Converter " + std::string(resources::kVersionText).substr(8)),
              std::string::npos);
    EXPECT_NE(text.find("~/.config/QuorvelStudio/user.reg"), std::string::npos);
    EXPECT_NE(text.find("QUORVEL_REGISTRY"), std::string::npos);
    EXPECT_EQ(text.find("http"), std::string::npos) << "there is no web site";
}

TEST(HelpContentTest, MessagesPageQuotesTheProgramsMessagesExactly) {
    using namespace resources;
    const std::string text =
        VisibleText(Read(fs::path(QUORVEL_HELP_SOURCE_DIR) / "Messages.htm"));
    std::vector<std::string> messages = {
        BuiltInString(IDS_MESSAGE_NOT_OPEN_FILE),
        BuiltInString(IDS_MESSAGE_NO_DURATION) + BuiltInString(IDS_MESSAGE_NOT_OPEN_FILE),
        BuiltInString(IDS_MESSAGE_STOP_CONVERT),
        BuiltInString(IDS_MESSAGE_RESTART_PROGRAM),
        BuiltInString(IDS_MESSAGE_FILE_EXIST),
        "Can get Windows Version",
        "Could not initialize COM library.",
        "Can not get SHGetFolderPathA!",
        "Can not get My Video directory!",
        "Please open an media file fisrt!",
        "Failed to GetVideoSize, please install appropriate video decoder",
        "Could not get pControl",
        "Cannot find audio renderer input pin!",
        "Cannot find the output pin connected to video renderer's input pin!",
        "Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )",
        "Please install MKV codec)",
        "Please install ASF Multipexer)",
        "Please install WebM Muxer codec)",
        "failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux)",
        "failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux )",
        "can not pControl->Run()!!!",
        "can not SetNotifyWindow!!!",
        "Failed to GenerateProfile Audio video with script!  hr=0x",
        "Failed to create system enumerator",
        "Failed to bind to object",
        "Does not support the video format",
        "Please install webm video encoder",
        "Please install webm audio encoder: Vorbis Ogg",
        "<ERROR>",
        "Your language file name may be not proper,\n please read the help file!",
        "Can not find Language Menu!",
        "Failed to create font",
    };
    // The sentences that follow the steps' own texts.
    for (int id : {IDS_MESSAGE_RUN_NOT_STARTED, IDS_MESSAGE_VIDEO_NOT_HELD,
                   IDS_MESSAGE_AUDIO_NOT_HELD, IDS_MESSAGE_OPEN_FIRST})
        messages.push_back(BuiltInString(id));
    // The browser message up to the address, which the page cannot know in advance.
    const std::string browser = i18n::BrowserLaunchFailureText("");
    messages.push_back(browser.substr(0, browser.find(" ,")));
    for (const auto& message : messages)
        EXPECT_NE(text.find(Collapsed(message)), std::string::npos) << message;
}

}  // namespace

#endif
