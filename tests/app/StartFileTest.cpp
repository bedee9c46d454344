// The file named on the command line: opened once the window is up, by the
// same routine as Open Video.
#include <gtest/gtest.h>

#include "FakeShell.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "platform/ui/Automation.h"
#include "platform/ui/MessageBox.h"

namespace {

class StartFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }

    // What the window showed once it was up and after the posted open ran.
    struct Seen {
        bool opened = false;
        std::string sourceLine;
    };
    Seen RunWith(const std::string& startFile) {
        app::MainWindow window;
        window.startFile = startFile;
        Seen seen;
        automation.onDialogShown = [&](ui::Dialog&) {
            seen.opened = testenv::WaitUntil(
                [&] { return window.sourceOpened == 1 || !automation.boxes.empty(); },
                startFile.empty() ? 300 : 10000);
            seen.sourceLine = window.sourceLine();
            window.RequestClose();
        };
        window.RunModal();
        return seen;
    }

    testenv::ScopedRegistry registry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
};

TEST_F(StartFileTest, TheNamedFileIsOpenedAsOpenVideoWould) {
    const Seen seen = RunWith(fixtures::H264AacMp4().string());
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.sourceLine, "h264-aac.mp4: 00:00:02");
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(StartFileTest, AFileThatCannotBeReadGetsOpenVideosMessage) {
    RunWith(fixtures::RandomBytes().string());
    ASSERT_FALSE(automation.boxes.empty());
    EXPECT_NE(automation.boxes.back().caption.find("IDS_MESSAGE_NO_DURATION"), std::string::npos)
        << automation.boxes[0].caption << ": " << automation.boxes[0].text;
}

TEST_F(StartFileTest, WithoutAFileNothingIsOpened) {
    const Seen seen = RunWith("");
    EXPECT_EQ(seen.sourceLine, "00:00:00");
    EXPECT_TRUE(automation.boxes.empty());
}

}  // namespace
