// The Options command: the dialog on a copy of the settings, the copy taken back
// on OK with its status line, and the codec settings reaching the next conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "engine/ConversionGraph.h"
#include "options/OutputFormat.h"
#include "platform/ui/Automation.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"

namespace {

// Where the tests' output paths lie: OK makes a missing output folder.
std::string Clips() { return (testenv::ProcessRoot() / "clips").string(); }

using namespace resources;

class OptionsCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }
    void TearDown() override { media::testing::ResetAll(); }

    // Runs the main window: `mainScript` once it is shown, `optionsScript` inside
    // each options dialog, the filter list of a WebM run continued.
    void Run(const std::function<void(app::MainWindow&)>& mainScript,
             const std::function<void(ui::Dialog&)>& optionsScript) {
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (shown.templateId() == IDD_OUTPUT_OPTIONS) {
                optionsScript(shown);
                if (shown.IsRunning()) shown.EndDialog(ui::IDCANCEL);
                return;
            }
            if (shown.templateId() != IDD_MAIN) {
                shown.Item(ui::IDCANCEL).Click();
                return;
            }
            mainScript(window);
            if (window.isConverting) window.EndConversion(IDS_MESSAGE_CONVERSION_DONE);
            window.RequestClose();
        };
        window.RunModal();
    }

    // Video bits per second of a written file, from its packets.
    static double VideoBitrate(const std::filesystem::path& file) {
        std::string out;
        fixtures::RunCommand("ffprobe -v error -select_streams v:0 -show_entries packet=size "
                             "-of csv=p=0 " + fixtures::ShellQuote(file.string()), &out);
        std::istringstream lines(out);
        double bytes = 0;
        for (std::string line; std::getline(lines, line);) bytes += std::atof(line.c_str());
        const auto probe = fixtures::ProbeFile(file);
        return probe.duration > 0 ? bytes * 8 / probe.duration : 0;
    }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir out;
};

TEST_F(OptionsCommandTest, OkTakesTheCopyBackAndCancelLeavesEverything) {
    std::string afterCancel, afterOk;
    engine::OutputSettings before, after;
    Run(
        [&](app::MainWindow& w) {
            before = w.settings;
            const std::string initial = w.statusLine();
            automation.boxAnswers.clear();
            w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();  // cancelled
            EXPECT_EQ(w.settings, before);
            EXPECT_EQ(w.statusLine(), initial);
            w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();  // MKV, OK
            after = w.settings;
            afterOk = w.statusLine();
        },
        [&, calls = 0](ui::Dialog& d) mutable {
            if (calls++ == 0) {
                d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMkv);
                d.PressKey("Escape");
                return;
            }
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMkv);
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
        });
    EXPECT_EQ(before.format, engine::kAvi);
    EXPECT_EQ(after.format, engine::kMkv);
    EXPECT_EQ(std::filesystem::path(after.outputPath).extension(), ".mkv");
    // No source yet: the output size 0 x 0 went through OK's rounding.
    EXPECT_EQ(afterOk, "Output file: " + after.outputPath + "     Resolution: 16*16");
}

TEST_F(OptionsCommandTest, AfterOpeningASourceTheStatusLineShowsTheSizeWritten) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    automation.fileAnswers = {fixtures::H264AacMp4().string()};
    std::string status, wmvStatus;
    Run(
        [&](app::MainWindow& w) {
            w.Item(IDC_BUTTON_ADD_VIDEO).Click();
            ASSERT_EQ(w.settings.outputWidth, 718);
            w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
            status = w.statusLine();
            EXPECT_EQ(w.settings.outputWidth, 712);
            EXPECT_EQ(w.settings.outputHeight, 400);
            w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
            wmvStatus = w.statusLine();
        },
        [calls = 0](ui::Dialog& d) mutable {
            if (calls++ == 0) {
                EXPECT_EQ(d.Item(IDC_EDIT_WIDTH).Text(), "718");
                EXPECT_EQ(d.Item(IDC_COMBO_RESOLUTION).ItemText(0), "718*404");
                d.Item(IDC_EDIT_OUTPUT_PATH).SetText(Clips() + "/typed.mpg");
            } else {
                d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWmv);
            }
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
        });
    // AVI keeps the source's frames whatever OK rounded; WMV scales to the rounded size.
    EXPECT_EQ(status, "Output file: " + Clips() + "/typed.mpg     Resolution: 718*404");
    EXPECT_EQ(wmvStatus.substr(wmvStatus.find("Resolution")), "Resolution: 712*400");
}

TEST_F(OptionsCommandTest, TheBitrateConfirmedInSettingsGovernsTheNextConversion) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    // Small and grainy, so that both rates are within the encoder's reach.
    const auto clip = fixtures::MakeClip(
        "grainy-352x240.mp4", {.width = 352, .height = 240, .rate = "25", .seconds = 4,
                               .codecs = "-vf noise=alls=6:allf=t -c:v libx264 -preset ultrafast "
                                         "-pix_fmt yuv420p -c:a aac"});
    double rates[2] = {0, 0};
    const char* kbps[2] = {"400", "1500"};
    for (int run = 0; run < 2; ++run) {
        const auto output = out / ("rate" + std::to_string(run) + ".avi");
        automation.fileAnswers = {clip.string()};
        automation.frameAnswers = {std::map<std::string, std::string>{{"b", kbps[run]}}};
        Run(
            [&](app::MainWindow& w) {
                w.Item(IDC_BUTTON_ADD_VIDEO).Click();
                w.Item(IDC_BUTTON_OUTPUT_SETTINGS).Click();
                ASSERT_EQ(w.settings.format, engine::kAvi);
                w.Item(IDC_BUTTON_CONVERT).Click();
                ASSERT_TRUE(testenv::WaitUntil([&] { return w.isConverting == 0; }, 60000));
            },
            [&](ui::Dialog& d) {
                d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAvi);
                d.Item(IDC_EDIT_OUTPUT_PATH).SetText(output.string());
                d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click();  // ffdshow video encoder
                d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Click();
                d.Item(IDC_BUTTON_OPTIONS_OK).Click();
            });
        ASSERT_EQ(automation.framesShown.size(), static_cast<std::size_t>(run + 1));
        const auto probe = fixtures::ProbeFile(output);
        ASSERT_TRUE(probe.ok);
        ASSERT_NE(probe.Find("video"), nullptr);
        EXPECT_EQ(probe.Find("video")->codec, "mpeg4");
        rates[run] = VideoBitrate(output);
    }
    // MPEG-4's rate control overshoots a low target on a short clip, so the low
    // one is judged against the high one.
    EXPECT_NEAR(rates[1], 1500000, 1500000 * 0.25);
    EXPECT_LT(rates[0], 800000);
    EXPECT_LT(rates[0], rates[1] / 2);
}

}  // namespace
