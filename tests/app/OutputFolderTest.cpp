// The output folder is checked when Options is confirmed and before a run: a
// missing one is made, one that cannot take the file is named in a sentence.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "platform/ui/Automation.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"

namespace {

using namespace resources;

class OutputFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }
    void TearDown() override { media::testing::ResetAll(); }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir out;
};

TEST_F(OutputFolderTest, AMissingFolderIsMadeAndOneThatCannotTakeTheFileIsNamed) {
    testenv::WriteFile(out / "plain-file", "x");
    struct Case {
        std::string output;
        std::string said;  // empty: nothing, the folder is usable
    };
    const Case cases[] = {
        {(out / "new/deeper/clip.avi").string(), ""},
        {(out / "plain-file/clip.avi").string(),
         "The output folder " + (out / "plain-file/").string() +
             " does not exist and cannot be created (Not a directory). Choose another output "
             "folder in Options."},
        // No one may add files to a process's folder, not even the superuser.
        {"/proc/1/clip.avi",
         "You may not write in the output folder /proc/1/. Choose another output folder in "
         "Options, or ask for the right to write in this one."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        app::MainWindow window;
        bool optionsClosed = false, converting = false;
        std::vector<std::string> said;
        automation.fileAnswers = {fixtures::H264AacMp4().string()};
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (shown.templateId() == IDD_OUTPUT_OPTIONS) {
                shown.Item(IDC_EDIT_OUTPUT_PATH).SetText(c.output);
                shown.Item(IDC_BUTTON_OPTIONS_OK).Click();
                optionsClosed = !shown.IsRunning();
                if (shown.IsRunning()) shown.EndDialog(ui::IDCANCEL);
                return;
            }
            if (shown.templateId() != IDD_MAIN) return;
            window.Item(IDC_BUTTON_ADD_VIDEO).Click();
            window.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
            window.settings.outputPath = c.output;
            std::filesystem::remove_all(out / "new");  // gone again before the run
            window.Item(IDC_BUTTON_CONVERT).Click();
            converting = window.isConverting;
            if (converting) window.EndConversion(IDS_MESSAGE_CONVERSION_DONE);
            window.RequestClose();
        };
        automation.boxes.clear();
        window.RunModal();
        for (const auto& box : automation.boxes) said.push_back(box.text);
        EXPECT_EQ(optionsClosed, c.said.empty());
        EXPECT_EQ(converting, c.said.empty());
        // Said once at OK and once at Convert, and nothing else: no graph was built.
        const std::vector<std::string> expected =
            c.said.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.said, c.said};
        EXPECT_EQ(said, expected);
    }
}

}  // namespace
