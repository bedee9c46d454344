#include <gtest/gtest.h>

#include <climits>

#include "TestEnv.h"
#include "engine/ConversionGraph.h"
#include "options/OutputSettings.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "settings/Profile.h"

namespace {

using engine::OutputSettings;
const std::string kRoot = "Software\\QuorvelStudio\\quorvel-converter\\";

class OutputSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }
    registry::Store Store() { return registry::Store(registry.file()); }
    std::optional<registry::Value> Stored(const std::string& section, const std::string& key) {
        return Store().Get(kRoot + section, key);
    }
    options::OptionsControlValues Controls() {
        options::OptionsControlValues c;
        c.formatIndex = 0;
        c.frameRateIndex = -1;
        c.frameRateText = options::FormatFrameRate(23.976);
        c.pathText = "/v/out.avi";
        c.widthText = "718";
        c.heightText = "404";
        c.videoSelectorIndex = 0;
        c.audioSelectorIndex = 0;
        c.videoBitrateText = "780";
        c.audioBitrateIndex = 1;
        return c;
    }
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
};

TEST(AtoiLike, ReadsLikeTheCLibrary) {
    EXPECT_EQ(options::AtoiLike("719"), 719);
    EXPECT_EQ(options::AtoiLike("  -5x"), -5);
    EXPECT_EQ(options::AtoiLike("+12 34"), 12);
    EXPECT_EQ(options::AtoiLike("abc"), 0);
    EXPECT_EQ(options::AtoiLike(""), 0);
    EXPECT_EQ(options::AtoiLike("99999999999999999999"), INT_MAX);
    EXPECT_EQ(options::AtoiLike("-99999999999999999999"), INT_MIN);
}

TEST(RoundFrameSize, MultiplesOfEightAtLeastSixteen) {
    EXPECT_EQ(options::RoundFrameSize("719"), 712);
    EXPECT_EQ(options::RoundFrameSize("404"), 400);
    EXPECT_EQ(options::RoundFrameSize("16"), 16);
    EXPECT_EQ(options::RoundFrameSize("7"), 16);
    EXPECT_EQ(options::RoundFrameSize("-5"), 16);
    EXPECT_EQ(options::RoundFrameSize("-800"), 16);
    EXPECT_EQ(options::RoundFrameSize("wide"), 16);
}

TEST_F(OutputSettingsTest, RecordStartsWithItsInitialValues) {
    OutputSettings s;
    EXPECT_EQ(s.outputHeight, 0);
    EXPECT_EQ(s.useVideoCompressor, 1);
    EXPECT_DOUBLE_EQ(s.frameRate, 23.976);
    EXPECT_EQ(s.audioBitrate, 128000);
    EXPECT_EQ(s.format, 1);
    EXPECT_EQ(s.fileProfile, 0);
}

TEST_F(OutputSettingsTest, FirstStartLoadsTheDefaults) {
    OutputSettings s;
    options::LoadOutputSettings(s, {nullptr, 5});
    EXPECT_EQ(s.format, 0);
    EXPECT_EQ(s.outputPath, shell::HomeFolder() + "/output.avi");
    EXPECT_EQ(s.outputWidth, 0);
    EXPECT_EQ(s.outputHeight, 0);
    EXPECT_EQ(s.videoBitrate, 798720);
    EXPECT_EQ(s.audioBitrate, 128000);
    EXPECT_EQ(s.fileProfile, 0);
    // Never chosen: the preferred compressors, instantiated into the slots.
    auto& graph = engine::ConversionGraph::Instance();
    EXPECT_EQ(s.videoCompressorIndex,
              graph.FindPreferredCompressor(engine::CompressorCategory::Video, "ffdshow video encoder"));
    EXPECT_EQ(s.audioCompressorIndex,
              graph.FindPreferredCompressor(engine::CompressorCategory::Audio, "microsoft adpcm"));
    EXPECT_GE(s.videoCompressorIndex, 0);
    EXPECT_EQ(s.useVideoCompressor, 1);
    EXPECT_EQ(s.useAudioCompressor, 1);
    EXPECT_TRUE(graph.videoCompressor && graph.audioCompressor);
    EXPECT_EQ(s.webmVideoCompressorIndex, 0);
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OutputSettingsTest, StoredValuesAreLoadedAndWrongTypesFallBack) {
    auto p = settings::Profile();
    p.WriteInt("Settings", "nOuptputFormat", 4);
    p.WriteString("Settings", "OutputName", "/v/clip.avi");
    p.WriteInt("Settings", "OutputWidth", 640);
    p.WriteString("Settings", "OutputHigh", "480");  // wrong type: the default
    p.WriteInt("Settings", "n_video_bitrate", 1024000);
    p.WriteInt("Settings", "b_file_profile", 1);
    p.WriteInt("DexVideoCompress", "WebmCompressorNumber", -1);
    OutputSettings s;
    options::LoadOutputSettings(s, {nullptr, 10});
    EXPECT_EQ(s.format, 4);
    EXPECT_EQ(s.outputPath, "/v/clip.webm");
    EXPECT_EQ(s.outputWidth, 640);
    EXPECT_EQ(s.outputHeight, 0);
    EXPECT_EQ(s.videoBitrate, 1024000);
    EXPECT_EQ(s.fileProfile, 1);
    EXPECT_EQ(s.webmVideoCompressorIndex, -1);
    EXPECT_EQ(s.useVideoCompressor, 0);
    EXPECT_EQ(s.videoCompressorIndex, 0);  // the other family keeps its value
}

TEST_F(OutputSettingsTest, StoredChoicesAreResolvedWithoutSearching) {
    auto& graph = engine::ConversionGraph::Instance();
    graph.ReleaseCompressorSlots();
    auto p = settings::Profile();
    p.WriteInt("DexVideoCompress", "CompressorNumber", -1);
    p.WriteInt("DexAudioCompress", "CompressorNumber", 0);
    OutputSettings s;
    options::LoadOutputSettings(s, {nullptr, 5});
    EXPECT_EQ(s.videoCompressorIndex, -1);
    EXPECT_EQ(s.useVideoCompressor, 0);
    EXPECT_FALSE(graph.videoCompressor);
    EXPECT_EQ(s.audioCompressorIndex, 0);
    EXPECT_EQ(s.useAudioCompressor, 1);
    EXPECT_TRUE(graph.audioCompressor);
    graph.ReleaseCompressorSlots();
}

TEST_F(OutputSettingsTest, DamagedFormatIsReportedAndThePathKeptAsStored) {
    auto p = settings::Profile();
    p.WriteInt("Settings", "nOuptputFormat", 7);
    p.WriteString("Settings", "OutputName", "/v/clip.mkv");
    OutputSettings s;
    options::LoadOutputSettings(s, {nullptr, 5});
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, "Does not support the video format");
    EXPECT_EQ(s.outputPath, "/v/clip.mkv");
}

TEST_F(OutputSettingsTest, OkWritesEveryValueWithItsType) {
    OutputSettings s;
    options::StoreOutputSettings(s, Controls());
    EXPECT_EQ(s.outputWidth, 712);
    EXPECT_EQ(s.outputHeight, 400);
    EXPECT_EQ(s.videoBitrate, 798720);
    EXPECT_EQ(s.audioBitrate, 128000);
    EXPECT_EQ(s.videoCompressorIndex, -1);
    EXPECT_EQ(s.useVideoCompressor, 0);
    EXPECT_DOUBLE_EQ(s.frameRate, 23.976);

    EXPECT_EQ(Stored("Settings", "nOuptputFormat"), registry::Value::Dword(0));
    EXPECT_EQ(Stored("Settings", "OutputFrameRateIndex"), registry::Value::Dword(0xFFFFFFFFu));
    EXPECT_EQ(Stored("Settings", "OutputFrameRate"), registry::Value::String("23.976"));
    EXPECT_EQ(Stored("Settings", "OutputName"), registry::Value::String("/v/out.avi"));
    EXPECT_EQ(Stored("Settings", "OutputWidth"), registry::Value::Dword(712));
    EXPECT_EQ(Stored("Settings", "OutputHigh"), registry::Value::Dword(400));
    EXPECT_EQ(Stored("Settings", "n_video_bitrate"), registry::Value::Dword(798720));
    EXPECT_EQ(Stored("Settings", "n_audio_bitrate"), registry::Value::Dword(128000));
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber"), registry::Value::Dword(0xFFFFFFFFu));
    EXPECT_EQ(Stored("DexAudioCompress", "CompressorNumber"), registry::Value::Dword(0xFFFFFFFFu));
    EXPECT_EQ(Stored("Settings", "b_file_profile"), std::nullopt);
}

TEST_F(OutputSettingsTest, AudioBitrateFollowsTheSelectorOrKeepsItsValue) {
    const int expected[] = {64000, 128000, 192000, 320000};
    for (int i = 0; i < 4; ++i) {
        OutputSettings s;
        auto c = Controls();
        c.audioBitrateIndex = i;
        options::StoreOutputSettings(s, c);
        EXPECT_EQ(s.audioBitrate, expected[i]);
    }
    OutputSettings s;
    s.audioBitrate = 96000;
    auto c = Controls();
    c.audioBitrateIndex = -1;
    options::StoreOutputSettings(s, c);
    EXPECT_EQ(s.audioBitrate, 96000);
}

TEST_F(OutputSettingsTest, WebmOkWritesNoCompressorKeys) {
    OutputSettings s;
    auto c = Controls();
    c.formatIndex = 4;
    c.videoSelectorIndex = 3;
    c.audioSelectorIndex = -1;  // no selection: never stored
    options::StoreOutputSettings(s, c);
    EXPECT_EQ(s.webmVideoCompressorIndex, 2);
    EXPECT_EQ(s.webmAudioCompressorIndex, -2);
    EXPECT_EQ(s.useVideoCompressor, 1);
    EXPECT_EQ(s.useAudioCompressor, 1);
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber"), std::nullopt);
    EXPECT_EQ(Stored("DexAudioCompress", "CompressorNumber"), std::nullopt);
}

TEST_F(OutputSettingsTest, StoredFormatNumbersKeepTheirMeaningAndFiveOpensMp4) {
    auto& graph = engine::ConversionGraph::Instance();
    const char* extensions[] = {".avi", ".wmv", ".mkv", ".asf", ".webm", ".mp4"};
    for (int format = 0; format <= 5; ++format) {
        SCOPED_TRACE(format);
        auto p = settings::Profile();
        p.WriteInt("Settings", "nOuptputFormat", format);
        p.WriteString("Settings", "OutputName", "/v/clip.avi");
        OutputSettings s;
        options::LoadOutputSettings(s, {nullptr, 5});
        EXPECT_EQ(s.format, format);
        EXPECT_EQ(s.outputPath, std::string("/v/clip") + extensions[format]);
        if (format == 5) {
            // Nothing stored for MP4: H.264 and AAC, the shared pair untouched.
            EXPECT_EQ(s.mp4VideoCompressorIndex,
                      graph.FindPreferredCompressor(engine::CompressorCategory::Video, "libx264 h.264"));
            EXPECT_EQ(s.mp4AudioCompressorIndex,
                      graph.FindPreferredCompressor(engine::CompressorCategory::Audio,
                                                    "aac (advanced audio coding)"));
            EXPECT_GE(s.mp4VideoCompressorIndex, 0);
            EXPECT_GE(s.mp4AudioCompressorIndex, 0);
            EXPECT_EQ(s.useVideoCompressor, 1);
            EXPECT_EQ(s.videoCompressorIndex, 0);
            EXPECT_FALSE(options::NonWebmIndicesLoaded());
        } else {
            EXPECT_EQ(s.mp4VideoCompressorIndex, 0);
        }
        graph.ReleaseCompressorSlots();
    }
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OutputSettingsTest, Mp4OkKeepsItsOwnPairApartFromTheSharedOne) {
    auto& graph = engine::ConversionGraph::Instance();
    auto p = settings::Profile();
    p.WriteInt("DexVideoCompress", "CompressorNumber", 7);
    OutputSettings s;
    auto c = Controls();
    c.formatIndex = 5;
    c.pathText = "/v/out.mp4";
    c.videoSelectorIndex = 3;
    c.audioSelectorIndex = 0;  // none
    options::StoreOutputSettings(s, c);
    EXPECT_EQ(s.mp4VideoCompressorIndex, 2);
    EXPECT_EQ(s.mp4AudioCompressorIndex, -1);
    EXPECT_EQ(s.useAudioCompressor, 0);
    EXPECT_EQ(Stored("DexVideoCompress", "Mp4CompressorNumber")->dword, 2u);
    EXPECT_EQ(Stored("DexAudioCompress", "Mp4CompressorNumber")->dword, 0xFFFFFFFFu);
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber")->dword, 7u);
    EXPECT_EQ(Stored("DexAudioCompress", "CompressorNumber"), std::nullopt);
    // The next start on MP4 finds the same choice.
    OutputSettings next;
    options::LoadOutputSettings(next, {nullptr, 5});
    EXPECT_EQ(next.format, 5);
    EXPECT_EQ(next.mp4VideoCompressorIndex, 2);
    EXPECT_EQ(next.mp4AudioCompressorIndex, -1);
    EXPECT_EQ(next.useAudioCompressor, 0);
    graph.ReleaseCompressorSlots();
}

TEST_F(OutputSettingsTest, AbsurdBitrateSaturatesAndTypedPathIsKept) {
    OutputSettings s;
    auto c = Controls();
    c.videoBitrateText = "99999999";
    c.pathText = "/v/typed.mpg";
    c.widthText = "";
    options::StoreOutputSettings(s, c);
    EXPECT_EQ(s.videoBitrate, INT_MAX);
    EXPECT_EQ(s.outputPath, "/v/typed.mpg");
    EXPECT_EQ(s.outputWidth, 16);
}

TEST_F(OutputSettingsTest, StoredSettingsComeBackAtTheNextStart) {
    OutputSettings stored;
    auto c = Controls();
    c.formatIndex = 2;
    c.pathText = "/v/kept.mkv";
    options::StoreOutputSettings(stored, c);
    OutputSettings loaded;
    options::LoadOutputSettings(loaded, {nullptr, 10});
    EXPECT_EQ(loaded.format, 2);
    EXPECT_EQ(loaded.outputPath, "/v/kept.mkv");
    EXPECT_EQ(loaded.outputWidth, 712);
    EXPECT_EQ(loaded.outputHeight, 400);
    EXPECT_EQ(loaded.videoBitrate, 798720);
    EXPECT_EQ(loaded.useVideoCompressor, 0);
}

}  // namespace
