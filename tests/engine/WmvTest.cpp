// WMV conversions through the conversion build: the generated profile, the Windows
// Media writer it configures, the messages of each failure, and the written files read
// back with ffprobe.
#include <gtest/gtest.h>

#include <cmath>

#include "FakeShell.h"
#include "GraphHarness.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "WmfFaults.h"
#include "engine/ConversionGraph.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"
#include "engine/WmProfile.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"

namespace {

using engine::ConversionGraph;
class WmvTest : public ::testing::Test, protected GraphHarness {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        AttachGraph();
        settings.format = engine::kWmv;
        settings.outputWidth = 320;
        settings.outputHeight = 240;
        settings.frameRate = engine::kFrameRate;
        settings.videoBitrate = 780 * 1024;
        settings.audioBitrate = 128000;
        settings.outputPath = (out / "out.wmv").string();
    }
    void TearDown() override {
        DetachGraph();
        wmf::testing::ResetAll();
    }
    HRESULT Build(const std::filesystem::path& clip = fixtures::H264AacMp4()) {
        sourcePath = clip.string();
        EXPECT_EQ(graph.OpenSourceGraph(sourcePath), 1);
        return graph.EnsureCompressors();
    }
    std::shared_ptr<media::Filter> Writer() const {
        std::shared_ptr<media::Filter> writer;
        graph.graphManager->FindFilterByName("WM ASF Writer", writer);
        return writer;
    }
    // The video stream's format in the profile the writer was configured with.
    wmf::VIDEOINFOHEADER ConfiguredVideo() const {
        wmf::VIDEOINFOHEADER v;
        auto config = media::QueryConfigAsfWriter(Writer());
        std::shared_ptr<wmf::WMProfile> profile;
        std::shared_ptr<wmf::WMStreamConfig> stream;
        if (!config || FAILED(config->GetCurrentProfile(profile)) ||
            FAILED(profile->GetStreamByNumber(2, stream)))
            return v;
        wmf::DWORD size = 0;
        wmf::WM_MEDIA_TYPE type;
        auto props = wmf::QueryMediaProps(stream);
        props->GetMediaType(nullptr, size);
        props->GetMediaType(&type, size);
        wmf::ReadFormat(type, v);
        return v;
    }
    long RunToEnd() {
        long code = 0;
        if (FAILED(graph.mediaControl->Run())) return -1;
        if (FAILED(graph.mediaEvent->WaitForCompletion(120000, code))) return 0;
        return code;
    }

};

TEST_F(WmvTest, TheProfileIsMadeBeforeTheWriterAndItsFailureIsShownWithItsCode) {
    settings.audioBitrate = 100000;  // no format within 249 bit/s
    EXPECT_EQ(Build(), wmf::NS_E_AUDIO_CODEC_NOT_INSTALLED);
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              "Failed to GenerateProfile Audio video with script!  hr=0xc00d0bc2\n");
    EXPECT_EQ(automation.boxes[0].caption, "Message");
    EXPECT_FALSE(Writer()) << "no writer is created without a profile";

    // The generated profile comes first even when a file profile is asked for.
    automation.boxes.clear();
    graph.TearDownConversionGraph(graph.graphManager, sourcePath);
    settings.fileProfile = 1;
    EXPECT_EQ(Build(), wmf::NS_E_AUDIO_CODEC_NOT_INSTALLED);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "Failed to GenerateProfile Audio video with script!  hr=0xc00d0bc2\n"}));
}

TEST_F(WmvTest, TheFileProfileSwitchConfiguresFromTheProfileText) {
    settings.fileProfile = 1;
    EXPECT_EQ(Build(), wmf::NS_E_INVALIDPROFILE);  // "test2" is no profile
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Failed to map profile ID!  hr=0xc00d0bc6\n"}));
    EXPECT_EQ(settings.useVideoCompressor, 1) << "the switches change only after success";
}

TEST_F(WmvTest, AWriterWithoutItsConfigurationInterfaceStopsTheBuild) {
    media::testing::ScopedFailure failure(media::testing::Operation::QueryConfigAsfWriter);
    EXPECT_EQ(Build(), E_NOINTERFACE);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Failed to QI for IConfigAsfWriter!  hr=0x80004002\n"}));
}

TEST_F(WmvTest, TheSourcesRateReachesTheVideoFormatWhateverTheStoredRate) {
    for (const double stored : {23.976, 29.97, 0.5, std::nan("")}) {
        settings.frameRate = stored;
        settings.outputWidth = 1000;  // larger than the source: the profile's size all the same
        settings.outputHeight = 562;
        ASSERT_EQ(Build(), S_OK) << stored;
        const wmf::VIDEOINFOHEADER v = ConfiguredVideo();
        EXPECT_EQ(v.AvgTimePerFrame, 333667) << "29.97 fps, whatever is stored: " << stored;
        EXPECT_EQ(v.bmiHeader.biWidth, 1000);
        EXPECT_EQ(v.bmiHeader.biHeight, 562);
        EXPECT_EQ(v.dwBitRate, 780u * 1024);
        EXPECT_EQ(v.bmiHeader.biCompression, wmf::FOURCC_WMV2) << "no WMV3 here: WMV2 instead";
        graph.TearDownConversionGraph(graph.graphManager, sourcePath);
    }
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(WmvTest, TheStoredRateStandsInOnlyWhenTheSourcesRateIsUnknown) {
    media::testing::ScopedFailure unknown(media::testing::Operation::GetAvgTimePerFrame);
    struct Case {
        double frameRate;
        std::int64_t avgTimePerFrame;
    };
    for (const Case c : {Case{23.976, 417084}, Case{29.97, 333667}, Case{0.5, 10'000'000},
                         Case{-3, 10'000'000}, Case{std::nan(""), 10'000'000}}) {
        settings.frameRate = c.frameRate;
        ASSERT_EQ(Build(), S_OK) << c.frameRate;
        EXPECT_EQ(ConfiguredVideo().AvgTimePerFrame, c.avgTimePerFrame) << c.frameRate;
        graph.TearDownConversionGraph(graph.graphManager, sourcePath);
    }
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(WmvTest, ARuntimeThatOffersWmv3GetsWmv3) {
    auto format = [](wmf::DWORD fourcc) {
        wmf::VIDEOINFOHEADER v;
        v.bmiHeader.biCompression = fourcc;
        return wmf::VideoInfoMediaType(v);
    };
    wmf::testing::InstallCodecs(wmf::WMMEDIATYPE_Video,
                                {{"Windows Media Video 8", {format(wmf::FOURCC_WMV2)}},
                                 {"Windows Media Video 9", {format(wmf::FOURCC_WMV3)}}});
    // The writer has no encoder for it on this platform, so the build stops at its
    // configuration, with the profile holding WMV3.
    EXPECT_EQ(Build(), wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "Failed to configure filter to use profile!  hr=0xc00d0bc4\n"}));
}

TEST_F(WmvTest, OddSizesAreWrittenOneLineSmallerInsteadOfFailing) {
    settings.outputWidth = 321;
    settings.outputHeight = 241;
    ASSERT_EQ(Build(), S_OK);
    ASSERT_EQ(RunToEnd(), media::EC_COMPLETE) << errorText;
    const auto written = fixtures::ProbeFile(settings.outputPath);
    ASSERT_TRUE(written.Find("video"));
    EXPECT_EQ(written.Find("video")->width, 320);
    EXPECT_EQ(written.Find("video")->height, 240);
}

TEST_F(WmvTest, EveryFrameIsKeptAtTheSourcesRate) {
    struct Case {
        const char* rate;
        const char* written;
    };
    graph.replaceOutput = true;  // one output, written three times
    for (const Case c : {Case{"30", "30/1"}, Case{"30000/1001", "30000/1001"}, Case{"25", "25/1"}}) {
        const auto clip = fixtures::MakeClip(
            std::string("rate-") + (c.rate[2] ? "2997" : c.rate) + ".mp4",
            {.width = 320, .height = 240, .rate = c.rate,
             .codecs = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac"});
        ASSERT_EQ(Build(clip), S_OK) << c.rate;
        ASSERT_EQ(RunToEnd(), media::EC_COMPLETE) << errorText;
        const auto source = fixtures::ProbeFile(clip, true);
        const auto written = fixtures::ProbeFile(settings.outputPath, true);
        ASSERT_TRUE(written.Find("video") && source.Find("video"));
        EXPECT_EQ(written.Find("video")->frameRate, c.written);
        EXPECT_EQ(written.Find("video")->frames, source.Find("video")->frames) << c.rate;
        graph.TearDownConversionGraph(graph.graphManager, sourcePath);
        graph.ReleaseMediaEvent();
        graph.ReleaseMediaControl();
    }
}

struct RunCase {
    int audioBitrate;
    int width;
    int height;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.audioBitrate; }

class WmvRunTest : public WmvTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(WmvRunTest, WritesWindowsMediaAtTheProfileSizeRateAndBitrates) {
    const RunCase c = GetParam();
    settings.audioBitrate = c.audioBitrate;
    settings.outputWidth = c.width;
    settings.outputHeight = c.height;
    settings.useVideoCompressor = settings.useAudioCompressor = 1;
    ASSERT_EQ(Build(), S_OK) << ::testing::PrintToString(BoxTexts());
    EXPECT_TRUE(automation.boxes.empty());
    // The writer compresses by itself; the switches stay off until the options change them.
    EXPECT_EQ(settings.useVideoCompressor, 0);
    EXPECT_EQ(settings.useAudioCompressor, 0);
    ASSERT_EQ(RunToEnd(), media::EC_COMPLETE) << errorText;

    const auto source = fixtures::ProbeFile(sourcePath);
    const auto written = fixtures::ProbeFile(settings.outputPath, true);
    const auto* v = written.Find("video");
    const auto* a = written.Find("audio");
    ASSERT_TRUE(v && a);
    EXPECT_EQ(written.formatName, "asf");
    EXPECT_EQ(v->codec, "wmv2");
    EXPECT_EQ(v->width, c.width);
    EXPECT_EQ(v->height, c.height);
    EXPECT_EQ(v->frameRate, "30000/1001") << "the source's rate";
    EXPECT_EQ(a->codec, "wmav2");
    EXPECT_EQ(a->sampleRate, 44100);
    EXPECT_EQ(a->channels, 2);
    EXPECT_EQ(a->bitRate, c.audioBitrate);

    EXPECT_NEAR(written.duration, source.duration, 1001.0 / 30000) << "format duration";
    ASSERT_TRUE(written.Find("video"));
    EXPECT_EQ(written.Find("video")->frames, fixtures::ProbeFile(sourcePath, true).Find("video")->frames);
}

INSTANTIATE_TEST_SUITE_P(AudioBitrates, WmvRunTest,
                         ::testing::Values(RunCase{64000, 320, 240}, RunCase{128000, 718, 404},
                                           RunCase{192000, 640, 360}, RunCase{320000, 176, 144}),
                         [](const auto& param) { return std::to_string(param.param.audioBitrate); });

}  // namespace
