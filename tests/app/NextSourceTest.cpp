// Opening one source after another: each gets its own output in the folder
// Options holds, and the window's lines speak of the file now open.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "platform/ui/Automation.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using namespace resources;

class NextSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }
    void TearDown() override { media::testing::ResetAll(); }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir sources;
    testenv::TempDir videos;
};

TEST_F(NextSourceTest, EachOpenedSourceGetsItsOwnOutputAndFreshLines) {
    const std::string folder = videos.path().string() + "/";
    settings::Profile().WriteString("Settings", "OutputName", folder + "old-result.webm");
    const auto copy = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        std::filesystem::copy_file(from, to);
        return to.string();
    };
    const std::string longName(120, 'n');
    struct Case {
        std::string source;
        std::string output;      // empty: the previous one stays
        std::string sourceLine;  // how it starts ("…" marks a cut in the middle)
        std::string status;
    };
    const Case cases[] = {
        {copy(fixtures::H264AacMp4(), sources.path() / "holiday.2026.mp4"),
         folder + "holiday.2026.avi", "holiday.2026.mp4: 00:00:02",
         "Output file: " + folder + "holiday.2026.avi     Resolution: 718*404"},
        // Not a video: nothing of the previous file stays on show.
        {fixtures::RandomBytes().string(), "", "00:00:00",
         "Output file: " + folder + "holiday.2026.avi     Resolution: Original size"},
        // The output would be the source itself.
        {copy(fixtures::Mpeg4Mp3Avi(), videos.path() / "mine.avi"), folder + "mine (1).avi",
         "mine.avi: 00:00:02", ""},
        {copy(fixtures::H264AacMp4(), sources.path() / (longName + ".mp4")),
         folder + longName + ".avi", "nnnn", ""},
    };
    app::MainWindow window;
    std::vector<std::string> outputs, sourceLines, statusLines;
    std::string afterRun, replaceAnswered;
    automation.onDialogShown = [&](ui::Dialog&) {
        for (const Case& c : cases) {
            automation.fileAnswers = {c.source};
            window.Item(IDC_BUTTON_ADD_VIDEO).Click();
            outputs.push_back(window.settings.outputPath);
            sourceLines.push_back(window.sourceLine());
            statusLines.push_back(window.statusLine());
            if (&c == &cases[0]) {
                // A run, then its output again: Enter alone keeps the file.
                window.Item(IDC_BUTTON_CONVERT).Click();
                testenv::WaitUntil([&] { return !window.isConverting; }, 60000);
                afterRun = window.statusLine();
                window.Item(IDC_BUTTON_CONVERT).Click();
                replaceAnswered = window.isConverting ? "Yes" : "No";
            }
        }
        window.RequestClose();
    };
    window.RunModal();

    ASSERT_EQ(outputs.size(), std::size(cases));
    std::string expectedOutput;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        if (!c.output.empty()) expectedOutput = c.output;
        EXPECT_EQ(outputs[i], expectedOutput) << i;
        EXPECT_EQ(sourceLines[i].rfind(c.sourceLine, 0), 0u) << sourceLines[i];
        if (!c.status.empty()) {
            EXPECT_EQ(statusLines[i], c.status) << i;
        }
    }
    // The long name is cut in its middle; the duration still shows.
    EXPECT_NE(sourceLines.back().find("…"), std::string::npos);
    EXPECT_TRUE(sourceLines.back().ends_with(".mp4: 00:00:02")) << sourceLines.back();
    EXPECT_EQ(afterRun.rfind("Done. Output file: " + folder + "holiday.2026.avi", 0), 0u);
    EXPECT_EQ(replaceAnswered, "No");
    ASSERT_GE(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text, folder + "holiday.2026.avi exists. Do you want to replace it?");
    EXPECT_TRUE(automation.boxes[0].type & ui::MB_DEFBUTTON2);
    EXPECT_TRUE(std::filesystem::exists(folder + "holiday.2026.avi"));
}

}  // namespace
