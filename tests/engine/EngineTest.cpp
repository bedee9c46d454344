// The engine's procedures on real graphs: probing, the catalogue, building and
// tearing down conversion graphs, with the messages a user would see.
#include <gtest/gtest.h>

#include "FakeShell.h"
#include "GraphHarness.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/ConversionGraph.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"

namespace {

using engine::CompressorCategory;
using engine::ConversionGraph;

class EngineTest : public ::testing::Test, protected GraphHarness {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        AttachGraph();
    }
    void TearDown() override {
        DetachGraph();
    }
    // Opens `clip` as the window does and builds for `format` with the preferred compressors.
    HRESULT Build(const std::filesystem::path& clip, int format, const std::string& output) {
        settings.format = format;
        settings.outputPath = output;
        ChoosePreferredCompressors(format);
        sourcePath = clip.string();
        EXPECT_EQ(graph.OpenSourceGraph(sourcePath), 1);
        return graph.EnsureCompressors();
    }

};

TEST_F(EngineTest, ProbeReadsTheSourceFactsAndTakesItsSize) {
    engine::SourceInfo info;
    settings.outputWidth = 1;
    std::int64_t duration = 0;
    ASSERT_EQ(graph.ProbeSource(fixtures::H264AacMp4().string(), duration, info, settings), 1);
    EXPECT_EQ(info.width, 718);
    EXPECT_EQ(info.height, 404);
    EXPECT_NEAR(info.frameRate, 29.97, 0.001);
    EXPECT_NEAR(duration / 1e7, 2.0, 0.1);
    EXPECT_EQ(settings.outputWidth, 718);
    EXPECT_EQ(settings.outputHeight, 404);
    EXPECT_FALSE(graph.hasGraph());  // the probe graph never survives
    EXPECT_TRUE(automation.boxes.empty());
}

// The size the status line, the options and the WMV profile take is the picture
// as it is shown: upright, at square pixels; a length the file leaves unknown is 0.
TEST_F(EngineTest, ProbeReportsThePictureAsShown) {
    struct Case {
        std::filesystem::path source;
        int width, height;
        double seconds;
    } const cases[] = {
        {fixtures::TurnedClip(90), 180, 320, 0.4},
        {fixtures::AnamorphicMpeg2(), 1024, 576, 0.4},
        {fixtures::UnknownLengthMp4(), 160, 120, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.filename().string());
        engine::SourceInfo info;
        std::int64_t duration = -1;
        ASSERT_EQ(graph.ProbeSource(c.source.string(), duration, info, settings), 1);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(settings.outputWidth, c.width);
        EXPECT_NEAR(duration / 1e7, c.seconds, 0.1);
    }
}

TEST_F(EngineTest, ProbeFailuresSayWhy) {
    engine::SourceInfo info;
    std::int64_t duration = 0;
    EXPECT_EQ(graph.ProbeSource(fixtures::AudioOnlyMp3().string(), duration, info, settings), 0);
    EXPECT_EQ(graph.ProbeSource(fixtures::RandomBytes().string(), duration, info, settings), 0);
    EXPECT_EQ(graph.ProbeSource(fixtures::TruncatedMp4().string(), duration, info, settings), 0);
    ASSERT_EQ(automation.boxes.size(), 3u);
    EXPECT_TRUE(automation.boxes[0].text == "Failed to IID_IBasicVideo" ||
                automation.boxes[0].text ==
                    "Failed to GetVideoSize, please install appropriate video decoder");
    EXPECT_EQ(automation.boxes[0].ownerId, 102);
    for (int i : {1, 2}) {
        EXPECT_EQ(automation.boxes[i].text,
                  "Cannot open the file. You need to install appropriate decoders. Or the file is "
                  "corrupt.");
        EXPECT_EQ(automation.boxes[i].caption, "Error IDS_MESSAGE_NOT_OPEN_FILE");
        EXPECT_EQ(automation.boxes[i].ownerId, 0);
    }
}

TEST_F(EngineTest, OpenKeepsAGraphWithTheSourceNamedAfterItsPath) {
    const std::string path = fixtures::Mpeg4Mp3Avi().string();
    ASSERT_EQ(graph.OpenSourceGraph(path), 1);
    ASSERT_TRUE(graph.hasGraph());
    EXPECT_TRUE(graph.hasMediaControl());
    std::shared_ptr<media::Filter> source;
    EXPECT_EQ(graph.graphManager->FindFilterByName(path, source), S_OK);
    std::shared_ptr<media::Filter> video, audio;
    EXPECT_EQ(graph.FindRenderer(graph.graphManager, true, video), S_OK);
    EXPECT_EQ(graph.FindRenderer(graph.graphManager, false, audio), S_OK);
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->Name(), "Video Renderer");
    EXPECT_EQ(audio->Name(), "Default DirectSound Device");
}

TEST_F(EngineTest, CatalogueFindsThePreferredCompressorsAndBindsFreshInstances) {
    const auto videoRows = engine::ListCompressors(CompressorCategory::Video);
    const auto audioRows = engine::ListCompressors(CompressorCategory::Audio);
    ASSERT_GT(videoRows.size(), 2u);
    EXPECT_EQ(videoRows[0], "Full frames (uncompressed)");
    EXPECT_EQ(audioRows[0], "Uncompressed Audio");
    for (auto [category, fragment, name] :
         {std::tuple{CompressorCategory::Video, "ffdshow video encoder", "ffdshow video encoder"},
          std::tuple{CompressorCategory::Video, "webm vp8 encoder filter",
                     "WebM VP8 Encoder Filter"},
          std::tuple{CompressorCategory::Audio, "microsoft adpcm", "Microsoft ADPCM"},
          std::tuple{CompressorCategory::Audio, engine::kVorbisFragment,
                     "Xiph.Org Vorbis Encoder"}}) {
        int index = -1;
        ASSERT_TRUE(engine::FindPreferredCompressor(category, fragment, index)) << fragment;
        const auto& rows = category == CompressorCategory::Video ? videoRows : audioRows;
        EXPECT_EQ(rows[static_cast<std::size_t>(index) + 1], name);
    }
    int index = -1;
    EXPECT_FALSE(engine::FindPreferredCompressor(CompressorCategory::Video, "no such encoder", index));

    const int mpeg4 = graph.FindPreferredCompressor(CompressorCategory::Video, "ffdshow video encoder");
    std::shared_ptr<media::Filter> first, second, none;
    engine::GetCompressor(mpeg4, &first);
    engine::GetCompressor(mpeg4, &second);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    engine::GetCompressor(-1, &none);
    EXPECT_FALSE(none);
    engine::GetCompressor(static_cast<int>(videoRows.size()) + 5, &none);
    EXPECT_FALSE(none);
    engine::GetCompressor(0, nullptr, reporter);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"GetCompressor received invalid pointer"}));
}

TEST_F(EngineTest, UnnamedDevicesKeepTheirRowSoIndexesNeverDrift) {
    int adpcm = -1;
    ASSERT_TRUE(engine::FindPreferredCompressor(CompressorCategory::Audio, "microsoft adpcm", adpcm));
    const auto before = engine::ListCompressors(CompressorCategory::Audio);
    media::testing::SetUnreadableDeviceName("adpcm_ms");
    const auto after = engine::ListCompressors(CompressorCategory::Audio);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(after[static_cast<std::size_t>(adpcm) + 1], "Microsoft ADPCM");
    int found = -1;
    EXPECT_FALSE(engine::FindPreferredCompressor(CompressorCategory::Audio, "microsoft adpcm", found));
}

TEST_F(EngineTest, CatalogueFailuresAreReportedAndGiveNothing) {
    {
        media::testing::ScopedFailure failure(media::testing::Operation::CreateSystemDeviceEnum);
        EXPECT_EQ(engine::ListCompressors(CompressorCategory::Video, reporter).size(), 1u);
    }
    {
        media::testing::ScopedFailure failure(media::testing::Operation::CreateClassEnumerator);
        EXPECT_EQ(graph.FindPreferredCompressor(CompressorCategory::Video, "ffdshow"), -1);
    }
    {
        media::testing::ScopedFailure failure(media::testing::Operation::BindToObject);
        graph.GetCompressor(0);
        EXPECT_FALSE(graph.videoCompressor);
    }
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Failed to create system enumerator",
                                                    "Failed to create class enumerator",
                                                    "Failed to bind to object"}));
    EXPECT_EQ(automation.boxes[0].caption, "quorvel-converter");
}

TEST_F(EngineTest, BuildStopsAtAMissingRendererWithTheRightMessage) {
    // A clip without sound is no missing renderer: it builds, with its picture alone.
    EXPECT_EQ(Build(fixtures::VideoOnlyMkv(), engine::kAvi, (out / "a.avi").string()), S_OK);
    EXPECT_TRUE(automation.boxes.empty());
    graph.TearDownConversionGraph(graph.graphManager, sourcePath);
    graph.ReleaseMediaControl();
    EXPECT_LT(Build(fixtures::AudioOnlyMp3(), engine::kAvi, (out / "b.avi").string()), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot find video renderer input pin!"}));
}

TEST_F(EngineTest, MissingMultiplexerPointsToItsPage) {
    media::testing::HideMuxers("matroska,webm,asf");
    const char* messages[] = {"Please install MKV codec)", "Please install ASF Multipexer)",
                              "Please install WebM Muxer codec)"};
    int i = 0;
    for (int format : {engine::kMkv, engine::kAsf, engine::kWebm}) {
        automation.boxes.clear();
        EXPECT_LT(Build(fixtures::H264AacMp4(), format, (out / "x").string()), 0);
        ASSERT_EQ(automation.boxes.size(), 1u);
        EXPECT_EQ(automation.boxes[0].text, messages[i++]);
        graph.TearDownConversionGraph(graph.graphManager, sourcePath);
        graph.ReleaseMediaControl();
    }
    ASSERT_EQ(shell.opened.size(), 3u);
    EXPECT_NE(shell.opened[0], shell.opened[2]);
}

TEST_F(EngineTest, CompressorSwitchedOnWithoutAnInstanceFailsWithTheErrorText) {
    settings.useVideoCompressor = 1;
    settings.videoCompressorIndex = 100000;  // uninstalled since it was chosen
    settings.format = engine::kAvi;
    settings.outputPath = (out / "c.avi").string();
    sourcePath = fixtures::H264AacMp4().string();
    ASSERT_EQ(graph.OpenSourceGraph(sourcePath), 1);
    EXPECT_LT(graph.EnsureCompressors(), 0);
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, errorText);
    EXPECT_FALSE(errorText.empty());
}

TEST_F(EngineTest, RawVideoIntoWebmFailsAtTheRoute) {
    settings.useVideoCompressor = 0;
    EXPECT_LT(Build(fixtures::H264AacMp4(), engine::kWebm, (out / "raw.webm").string()), 0);
    const auto texts = BoxTexts();
    ASSERT_EQ(texts.size(), 2u);
    // The step's own words, then what to do.
    EXPECT_EQ(texts[0], "failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux)\nThe chosen video "
                        "compressor cannot write into this output format. Choose another video "
                        "compressor or another format in Options.");
    EXPECT_EQ(automation.boxes[0].ownerId, 102);
    EXPECT_EQ(texts[1], media::ErrorText(media::VFW_E_TYPE_NOT_ACCEPTED));
}

TEST_F(EngineTest, TeardownRemovesEverythingAndRenewsTheCompressors) {
    ASSERT_EQ(Build(fixtures::H264AacMp4(), engine::kAvi, (out / "t.avi").string()), S_OK);
    EXPECT_TRUE(graph.hasMediaEvent());
    const auto usedVideo = graph.videoCompressor;
    const auto usedAudio = graph.audioCompressor;
    ASSERT_TRUE(usedVideo && usedAudio);
    const auto built = graph.graphManager;
    EXPECT_EQ(graph.TearDownConversionGraph(graph.graphManager, sourcePath), S_OK);
    EXPECT_FALSE(graph.hasGraph());
    std::shared_ptr<media::EnumFilters> left;
    ASSERT_EQ(built->EnumFilters(left), S_OK);
    std::shared_ptr<media::Filter> any;
    EXPECT_EQ(left->Next(any), S_FALSE) << any->Name();
    ASSERT_TRUE(graph.videoCompressor && graph.audioCompressor);
    EXPECT_NE(graph.videoCompressor, usedVideo);
    EXPECT_NE(graph.audioCompressor, usedAudio);
}

TEST_F(EngineTest, TeardownWithoutTheSourceStillReleasesTheGraph) {
    ASSERT_EQ(Build(fixtures::H264AacMp4(), engine::kAvi, (out / "u.avi").string()), S_OK);
    EXPECT_LT(graph.TearDownConversionGraph(graph.graphManager, "/not/the/source"), 0);
    EXPECT_FALSE(graph.hasGraph());
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].caption, "Message");
    EXPECT_EQ(automation.boxes[0].text.rfind("Failed to FindFilterByName!  hr=0x", 0), 0u);
}

}  // namespace
