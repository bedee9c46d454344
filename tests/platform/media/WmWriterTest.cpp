// The Windows Media writer: configured by a profile, it encodes decoded streams itself
// at the profile's size, rate and bitrates; each output is read back with ffprobe.
#include <cmath>

#include "MediaTestSupport.h"
#include "TestEnv.h"
#include "platform/wmf/Wmf.h"

namespace {

using namespace media;
using namespace mediatest;

// A profile of the runtime's own formats: WMA 2 at 44.1 kHz stereo 128 kbit/s and a
// video stream with the given FOURCC, size and frame duration.
std::shared_ptr<wmf::WMProfile> MakeProfile(wmf::DWORD fourcc, int width, int height,
                                            std::int64_t avgTimePerFrame) {
    std::shared_ptr<wmf::WMProfileManager> manager;
    std::shared_ptr<wmf::WMProfile> profile;
    if (FAILED(wmf::WMCreateProfileManager(manager)) ||
        FAILED(manager->CreateEmptyProfile(wmf::WMT_VER_9_0, profile)))
        return nullptr;
    auto info = wmf::QueryCodecInfo(manager);
    wmf::DWORD formats = 0;
    info->GetCodecFormatCount(wmf::WMMEDIATYPE_Audio, 0, formats);
    for (wmf::DWORD f = 0; f < formats; ++f) {
        std::shared_ptr<wmf::WMStreamConfig> audio;
        info->GetCodecFormat(wmf::WMMEDIATYPE_Audio, 0, f, audio);
        wmf::DWORD bitrate = 0;
        audio->GetBitrate(bitrate);
        wmf::DWORD size = 0;
        wmf::WM_MEDIA_TYPE type;
        wmf::QueryMediaProps(audio)->GetMediaType(nullptr, size);
        wmf::QueryMediaProps(audio)->GetMediaType(&type, size);
        wmf::WAVEFORMATEX w;
        wmf::ReadFormat(type, w);
        if (bitrate != 128000 || w.nSamplesPerSec != 44100 || w.nChannels != 2) continue;
        audio->SetStreamNumber(1);
        profile->AddStream(audio);
        break;
    }
    wmf::VIDEOINFOHEADER v;
    v.bmiHeader.biWidth = width;
    v.bmiHeader.biHeight = height;
    v.bmiHeader.biCompression = fourcc;
    v.dwBitRate = 500000;
    v.AvgTimePerFrame = avgTimePerFrame;
    std::shared_ptr<wmf::WMStreamConfig> video;
    profile->CreateNewStream(wmf::WMMEDIATYPE_Video, video);
    video->SetStreamNumber(2);
    wmf::QueryMediaProps(video)->SetMediaType(wmf::VideoInfoMediaType(v));
    profile->AddStream(video);
    return profile;
}

class WmWriterTest : public MediaTest {
protected:
    // Renderers out and the Windows Media writer in; the streams are not routed yet.
    void Open(const std::filesystem::path& clip = fixtures::H264AacMp4()) {
        graph = Render(clip.string());
        ASSERT_TRUE(graph);
        video = GetPin(*FindRenderer(*graph, MEDIATYPE_Video), PINDIR_INPUT, 0)->peer();
        audio = GetPin(*FindRenderer(*graph, MEDIATYPE_Audio), PINDIR_INPUT, 0)->peer();
        graph->RemoveFilter(FindRenderer(*graph, MEDIATYPE_Video));
        graph->RemoveFilter(FindRenderer(*graph, MEDIATYPE_Audio));
        ASSERT_EQ(CreateCaptureGraphBuilder(builder), S_OK);
        ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
        ASSERT_EQ(builder->SetOutputFileName(CLSID_WMAsfWriter, output, mux, sink), S_OK);
        config = QueryConfigAsfWriter(mux);
        ASSERT_TRUE(config);
    }
    HRESULT Route() {
        const HRESULT hr = builder->RenderStream(nullptr, nullptr, video, nullptr, mux);
        return FAILED(hr) ? hr : builder->RenderStream(nullptr, nullptr, audio, nullptr, mux);
    }

    testenv::TempDir dir;
    std::string output = (dir / "out.wmv").string();
    std::shared_ptr<FilterGraph> graph;
    std::shared_ptr<CaptureGraphBuilder> builder;
    std::shared_ptr<Filter> mux, sink;
    std::shared_ptr<ConfigAsfWriter> config;
    std::shared_ptr<Pin> video, audio;
};

TEST_F(WmWriterTest, TakesStreamsOnlyAfterItsProfileAndNeverThroughACompressor) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    media::testing::HideMuxers("asf");  // the outside ASF multiplexer, not the platform's writer
    Open();
    EXPECT_FALSE(QueryConfigAsfWriter(sink));
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, video, nullptr, mux), wmf::NS_E_NOT_CONFIGURED);
    std::shared_ptr<wmf::WMProfile> current;
    EXPECT_EQ(config->GetCurrentProfile(current), wmf::NS_E_NOT_CONFIGURED);

    const auto profile = MakeProfile(wmf::FOURCC_WMV2, 320, 240, 434782);
    ASSERT_EQ(config->ConfigureFilterUsingProfile(profile), S_OK);
    EXPECT_EQ(config->GetCurrentProfile(current), S_OK);
    EXPECT_EQ(current, profile);
    int inputs = 0, outputs = 0;
    CountPins(*mux, inputs, outputs);
    EXPECT_EQ(inputs, 2);

    auto compressor = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    ASSERT_EQ(graph->AddFilter(compressor, "VideoCompressor"), S_OK);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, video, compressor, mux),
              VFW_E_TYPE_NOT_ACCEPTED);
    ASSERT_EQ(Route(), S_OK);
    EXPECT_EQ(config->ConfigureFilterUsingProfile(profile), VFW_E_ALREADY_CONNECTED);
}

TEST_F(WmWriterTest, RefusesProfilesItCannotWrite) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    Open();
    EXPECT_EQ(config->ConfigureFilterUsingProfile(nullptr), E_POINTER);
    EXPECT_EQ(config->ConfigureFilterUsingProfile(MakeProfile(wmf::FOURCC_WMV3, 320, 240, 434782)),
              wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED);
    EXPECT_EQ(config->ConfigureFilterUsingProfile(MakeProfile(wmf::FOURCC_WMV2, 0, 240, 434782)),
              wmf::NS_E_INVALID_OUTPUT_FORMAT);
    EXPECT_EQ(config->ConfigureFilterUsingProfile(MakeProfile(wmf::FOURCC_WMV2, 320, 240, 0)),
              wmf::NS_E_INVALID_OUTPUT_FORMAT);
    std::shared_ptr<wmf::WMProfileManager> manager;
    std::shared_ptr<wmf::WMProfile> empty;
    ASSERT_EQ(wmf::WMCreateProfileManager(manager), S_OK);
    ASSERT_EQ(manager->CreateEmptyProfile(wmf::WMT_VER_9_0, empty), S_OK);
    EXPECT_EQ(config->ConfigureFilterUsingProfile(empty), wmf::NS_E_INVALIDPROFILE);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, video, nullptr, mux), wmf::NS_E_NOT_CONFIGURED)
        << "a refused profile leaves the writer unconfigured";
}

TEST_F(WmWriterTest, AnOddSizeIsRoundedDownToEvenRatherThanRefused) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    Open();
    ASSERT_EQ(config->ConfigureFilterUsingProfile(MakeProfile(wmf::FOURCC_WMV2, 321, 241, 434782)),
              S_OK);
    ASSERT_EQ(Route(), S_OK);
    HRESULT hr = S_OK;
    ASSERT_EQ(RunToEnd(*graph, &hr), EC_COMPLETE) << ErrorText(hr);
    const auto written = fixtures::ProbeFile(output);
    ASSERT_TRUE(written.Find("video"));
    EXPECT_EQ(written.Find("video")->width, 320);
    EXPECT_EQ(written.Find("video")->height, 240);
}

// Frames are repeated or dropped to meet the profile's rate; the length stays the source's.
TEST_F(WmWriterTest, ConvertsTheFrameRateAndKeepsTheLength) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    const auto source = fixtures::ProbeFile(fixtures::H264AacMp4(), true);
    for (const auto& [avgTimePerFrame, rate] : {std::pair{10'000'000LL, 1.0},
                                               std::pair{400'000LL, 25.0},
                                               std::pair{166'666LL, 60.0}}) {
        graph.reset();
        std::filesystem::remove(output);
        Open();
        ASSERT_EQ(config->ConfigureFilterUsingProfile(
                      MakeProfile(wmf::FOURCC_WMV2, 176, 144, avgTimePerFrame)),
                  S_OK);
        ASSERT_EQ(Route(), S_OK);
        HRESULT hr = S_OK;
        ASSERT_EQ(RunToEnd(*graph, &hr), EC_COMPLETE) << ErrorText(hr);
        const auto written = fixtures::ProbeFile(output, true);
        ASSERT_TRUE(written.ok);
        const auto* v = written.Find("video");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->codec, "wmv2");
        EXPECT_EQ(v->width, 176);
        EXPECT_NEAR(v->frames, std::round(source.duration * rate), 1) << rate;
        EXPECT_NEAR(written.duration, source.duration, 1 / rate) << rate;
    }
}

}  // namespace
