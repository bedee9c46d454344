// Stored compressor settings a run goes without are said on the completion line,
// where a desktop user sees them, and the run still writes its file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "engine/ConversionGraph.h"
#include "i18n/LanguagePack.h"
#include "engine/OutputFormat.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/vfw/Vfw.h"
#include "resources/Resources.h"

namespace {

using namespace resources;
using engine::CompressorCategory;
using engine::ConversionGraph;

class SettingsNoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }
    void TearDown() override { media::testing::ResetAll(); }

    void Keep(const std::string& encoder, const std::string& name, const std::string& value) {
        registry::Store(registry.file())
            .Set(vfw::DriverStateKey(encoder, vfw::ICTYPE_AUDIO), name, registry::Value::String(value));
    }

    // Converts the standard clip with this audio compressor (by name fragment) in
    // the format; gives the completion line.
    std::string Convert(int format, const char* audioFragment, const std::string& output,
                        const std::string& screenshot = {}) {
        std::string status;
        app::MainWindow window;
        automation.fileAnswers = {fixtures::H264AacMp4().string()};
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (shown.templateId() != IDD_MAIN) {
                shown.Item(ui::IDCANCEL).Click();  // the filter list: Continue
                return;
            }
            window.Item(IDC_BUTTON_ADD_VIDEO).Click();
            auto& graph = ConversionGraph::Instance();
            window.settings.format = format;
            window.settings.outputPath = output;
            const int audio = graph.FindPreferredCompressor(CompressorCategory::Audio, audioFragment);
            if (format == engine::kWebm) {
                window.settings.webmVideoCompressorIndex = graph.FindPreferredCompressor(
                    CompressorCategory::Video, "webm vp8 encoder filter");
                window.settings.webmAudioCompressorIndex = audio;
            } else {
                window.settings.mp4VideoCompressorIndex = graph.FindPreferredCompressor(
                    CompressorCategory::Video, engine::OutputFormatTable[engine::kMp4].preferredVideo);
                window.settings.mp4AudioCompressorIndex = audio;
            }
            graph.ReleaseCompressorSlots();
            window.Item(IDC_BUTTON_CONVERT).Click();
            EXPECT_TRUE(testenv::WaitUntil([&] { return window.isConverting == 0; }, 60000));
            status = window.statusLine();
            if (const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR"); shots && !screenshot.empty())
                window.SaveScreenshot(std::string(shots) + "/" + screenshot);
            window.RequestClose();
        };
        window.RunModal();
        return status;
    }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir out;
};

TEST_F(SettingsNoteTest, AStoredValueOutsideTheRangeIsNamedAfterAGoodRun) {
    Keep("aac", "b", "99999999");
    const std::string output = (out / "range.mp4").string();
    const std::string status =
        Convert(engine::kMp4, "aac (advanced audio coding)", output, "settings-not-used.png");
    EXPECT_EQ(status.rfind("Done. Output file: " + output, 0), 0u) << status;
    EXPECT_NE(status.find("Stored settings out of range, not used: AAC (Advanced Audio Coding): "
                          "b=99999999"),
              std::string::npos)
        << status;
    const auto probe = fixtures::ProbeFile(output);
    ASSERT_TRUE(probe.ok);
    ASSERT_NE(probe.Find("audio"), nullptr);
    EXPECT_EQ(probe.Find("audio")->codec, "aac");

    // The next run without it says nothing more.
    registry::Store(registry.file())
        .DeleteKey(vfw::DriverStateKey("aac", vfw::ICTYPE_AUDIO));
    const std::string clean = Convert(engine::kMp4, "aac (advanced audio coding)", output);
    EXPECT_EQ(clean.find("Stored settings"), std::string::npos) << clean;
}

TEST_F(SettingsNoteTest, AnEncoderRefusingTheKeptSettingsRunsOnItsOwnAndSaysSo) {
    if (ConversionGraph::Instance().FindPreferredCompressor(CompressorCategory::Audio, "libopus") < 0)
        GTEST_SKIP() << "no libopus in this FFmpeg";
    // Within the row's range, but not one of the frame lengths Opus has.
    Keep("libopus", "frame_duration", "30");
    const std::string output = (out / "refused.webm").string();
    const std::string status = Convert(engine::kWebm, "libopus", output);
    EXPECT_EQ(status.rfind("Done.", 0), 0u) << status;
    EXPECT_NE(status.find("libopus Opus did not accept the chosen settings and used its own."),
              std::string::npos)
        << status;
    EXPECT_EQ(status.find("Stored settings"), std::string::npos) << "nothing was out of range";
    const auto probe = fixtures::ProbeFile(output);
    ASSERT_TRUE(probe.ok);
    EXPECT_EQ(probe.Find("audio")->codec, "opus");
}

TEST_F(SettingsNoteTest, TheNoteIsInTheWindowsLanguage) {
    Keep("aac", "b", "99999999");
    auto& pack = i18n::LanguagePack::Instance();
    pack.InitializeLanguages(QUORVEL_SHIPPED_LANGUAGES, "German");
    const std::string output = (out / "Urlaubsfilm aus dem Sommer 2026.mp4").string();
    const std::string status = Convert(engine::kMp4, "aac (advanced audio coding)", output,
                                       "settings-not-used-German.png");
    pack.InitializeLanguages(QUORVEL_SHIPPED_LANGUAGES, "English");
    EXPECT_EQ(status.rfind("Fertig.", 0), 0u) << status;
    EXPECT_NE(status.find("Gespeicherte Einstellungen außerhalb des Bereichs, nicht verwendet: "
                          "AAC (Advanced Audio Coding): b=99999999"),
              std::string::npos)
        << status;
}

}  // namespace
