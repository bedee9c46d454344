// One source after another, and output folders that cannot take the file.
#include <gtest/gtest.h>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "app/MainWindow.h"
#include "platform/ui/Automation.h"
#include "platform/ui/MessageBox.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using namespace resources;

class NextSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    }
    void TearDown() override { media::testing::ResetAll(); }
    // Runs the main window with `script`, then closes it.
    void Run(const std::function<void(app::MainWindow&)>& script) {
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (&shown != &window) return onOptions(shown);
            script(window);
            window.RequestClose();
        };
        window.RunModal();
    }
    static std::string Copy(const std::filesystem::path& from, const std::filesystem::path& to) {
        return std::filesystem::copy_file(from, to), to.string();
    }
    std::function<void(ui::Dialog&)> onOptions = [](ui::Dialog&) {};
    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir sources, videos;
};

TEST_F(NextSourceTest, EachOpenedSourceGetsItsOwnOutputAndFreshLines) {
    const std::string folder = videos.path().string() + "/", name(120, 'n');
    settings::Profile().WriteString("Settings", "OutputName", folder + "old.webm");
    struct Case {
        std::string source, output, sourceLine, status;  // empty: not checked
    };
    const Case cases[] = {
        {Copy(fixtures::H264AacMp4(), sources / "holiday.2026.mp4"), folder + "holiday.2026.avi",
         "holiday.2026.mp4: 00:00:02", "Output file: " + folder + "holiday.2026.avi     Resolution: 718*404"},
        // Not a video: nothing of the previous file stays on show.
        {fixtures::RandomBytes().string(), folder + "holiday.2026.avi", "00:00:00",
         "Output file: " + folder + "holiday.2026.avi     Resolution: Original size"},
        {Copy(fixtures::Mpeg4Mp3Avi(), videos / "mine.avi"), folder + "mine (1).avi", "mine.avi: 00:00:02", ""},
        // A long name is cut in its middle; the duration still shows.
        {Copy(fixtures::H264AacMp4(), sources / (name + ".mp4")), folder + name + ".avi", "nnnn", ""},
    };
    bool replaced = true;
    Run([&](app::MainWindow& w) {
        for (const Case& c : cases) {
            automation.fileAnswers = {c.source};
            w.PressKey("Ctrl+O");
            EXPECT_EQ(w.settings.outputPath, c.output);
            EXPECT_EQ(w.sourceLine().rfind(c.sourceLine, 0), 0u) << w.sourceLine();
            EXPECT_TRUE(c.status.empty() || w.statusLine() == c.status) << w.statusLine();
            if (&c != &cases[0]) continue;
            w.PressKey("Ctrl+Return");  // a run, then the same output again: Enter keeps it
            testenv::WaitUntil([&] { return !w.isConverting; }, 60000);
            w.Item(IDC_BUTTON_CONVERT).Click();
            replaced = w.isConverting;
        }
        EXPECT_NE(w.sourceLine().find("…"), std::string::npos);
        EXPECT_TRUE(w.sourceLine().ends_with(".mp4: 00:00:02")) << w.sourceLine();
    });
    EXPECT_FALSE(replaced);
    ASSERT_GE(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, folder + "holiday.2026.avi exists. Do you want to replace it?");
    EXPECT_TRUE(automation.boxes[0].type & ui::MB_DEFBUTTON2);
}

TEST_F(NextSourceTest, AMissingOutputFolderIsMadeAndOneThatCannotTakeTheFileIsNamed) {
    testenv::WriteFile(videos / "file", "x");
    const std::pair<std::string, std::string> cases[] = {
        {(videos / "new/deeper/clip.avi").string(), ""},
        {(videos / "file/clip.avi").string(),
         "The output folder " + (videos / "file/").string() + " does not exist and cannot be created "
         "(Not a directory). Choose another output folder in Options."},
        // No one may add files to a process's folder, not even the superuser.
        {"/proc/1/clip.avi", "You may not write in the output folder /proc/1/. Choose another output "
                             "folder in Options, or ask for the right to write in this one."}};
    for (const auto& [output, said] : cases) {
        automation.boxes.clear();
        bool optionsClosed = false, converting = false;
        Run([&](app::MainWindow& w) {
            automation.fileAnswers = {fixtures::H264AacMp4().string()};
            w.Item(IDC_BUTTON_ADD_VIDEO).Click();
            onOptions = [&](ui::Dialog& options) {
                options.Item(IDC_EDIT_OUTPUT_PATH).SetText(output);
                options.Item(IDC_BUTTON_OPTIONS_OK).Click();
                optionsClosed = !options.IsRunning();
                if (!optionsClosed) options.EndDialog(ui::IDCANCEL);
            };
            w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
            w.settings.outputPath = output;
            std::filesystem::remove_all(videos / "new");  // gone again before the run
            w.Item(IDC_BUTTON_CONVERT).Click();
            converting = w.isConverting;
            if (converting) w.EndConversion(IDS_MESSAGE_CONVERSION_DONE);
        });
        // Said at OK and at Convert, and nothing else: no graph was built.
        EXPECT_EQ(automation.boxes.size(), said.empty() ? 0u : 2u) << output;
        for (const auto& box : automation.boxes) EXPECT_EQ(box.text, said);
        EXPECT_EQ(optionsClosed, said.empty()) << output;
        EXPECT_EQ(converting, said.empty()) << output;
    }
}

}  // namespace
