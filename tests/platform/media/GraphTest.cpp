// Rendering a file: the graph's shape, the probe facts, bad files and graph edits.
#include <cmath>

#include "MediaTestSupport.h"
#include "TestEnv.h"

namespace {

using namespace media;
using namespace mediatest;

class RenderFileTest : public MediaTest {};

TEST_F(RenderFileTest, BuildsSourceDecodersAndRenderersInAStableOrder) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    const std::string path = fixtures::H264AacMp4().string();
    auto graph = Render(path);
    ASSERT_TRUE(graph);

    const std::vector<std::string> expected = {path, "Video Decoder (h264)", "Audio Decoder (aac)",
                                               "Video Renderer", "Default DirectSound Device"};
    EXPECT_EQ(FilterNames(*graph), expected);
    EXPECT_EQ(FilterNames(*graph), expected) << "a second walk sees the same order";

    std::shared_ptr<Filter> source;
    ASSERT_EQ(graph->FindFilterByName(path, source), S_OK);
    int in = 0, out = 0;
    CountPins(*source, in, out);
    EXPECT_EQ(in, 0);
    EXPECT_EQ(out, 2);
    std::shared_ptr<Filter> none;
    EXPECT_EQ(graph->FindFilterByName("video renderer", none), VFW_E_NOT_FOUND)
        << "names compare exactly";

    for (const Guid& major : {MEDIATYPE_Video, MEDIATYPE_Audio}) {
        auto renderer = FindRenderer(*graph, major);
        ASSERT_TRUE(renderer);
        auto input = GetPin(*renderer, PINDIR_INPUT, 0);
        std::shared_ptr<Pin> feeder;
        ASSERT_EQ(input->ConnectedTo(feeder), S_OK);
        PinInfo info;
        ASSERT_EQ(feeder->QueryPinInfo(info), S_OK);
        EXPECT_EQ(info.dir, PINDIR_OUTPUT);
        FilterInfo decoderInfo;
        info.filter->QueryFilterInfo(decoderInfo);
        EXPECT_EQ(decoderInfo.name,
                  major == MEDIATYPE_Video ? "Video Decoder (h264)" : "Audio Decoder (aac)");
        EXPECT_EQ(decoderInfo.graph, graph);
        // The decoder is fed by the source filter.
        std::shared_ptr<Pin> sourcePin;
        ASSERT_EQ(GetPin(*info.filter, PINDIR_INPUT, 0)->ConnectedTo(sourcePin), S_OK);
        PinInfo sourceInfo;
        sourcePin->QueryPinInfo(sourceInfo);
        EXPECT_EQ(sourceInfo.filter, source);
    }
    EXPECT_NE(FindRenderer(*graph, MEDIATYPE_Video), FindRenderer(*graph, MEDIATYPE_Audio));
}

TEST_F(RenderFileTest, AcceptsLongUtf8PathsWithColons) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    auto folder = dir.path();
    for (int i = 0; i < 6; ++i) folder /= "dossier-\xC3\xA9t\xC3\xA9-" + std::string(40, 'a' + i);
    std::filesystem::create_directories(folder);
    const auto copy = folder / "clip: \xE6\x98\xA0\xE7\x94\xBB.mp4";
    std::filesystem::copy_file(fixtures::H264AacMp4(), copy);
    ASSERT_GT(copy.string().size(), 260u);

    auto graph = Render(copy.string());
    ASSERT_TRUE(graph);
    std::shared_ptr<Filter> source;
    EXPECT_EQ(graph->FindFilterByName(copy.string(), source), S_OK);
}

TEST_F(RenderFileTest, FilesNothingCanReadFailWithATextedCode) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    testenv::WriteFile(dir / "empty.mp4", "");
    const std::string cases[] = {(dir / "missing.mp4").string(), (dir / "empty.mp4").string(),
                                 fixtures::RandomBytes().string(),
                                 fixtures::TruncatedMp4().string()};
    for (const auto& path : cases) {
        std::shared_ptr<FilterGraph> graph;
        ASSERT_EQ(CreateFilterGraph(graph), S_OK);
        const HRESULT hr = graph->RenderFile(path);
        EXPECT_TRUE(FAILED(hr)) << path;
        EXPECT_TRUE(HasErrorText(hr)) << path << " hr=" << std::hex << hr;
        EXPECT_TRUE(FilterNames(*graph).empty()) << "a failed render adds nothing";
    }
}

TEST_F(RenderFileTest, AudioOnlyFileHasNoVideoRendererAndNoVideoSize) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::AudioOnlyMp3().string());
    ASSERT_TRUE(graph);
    EXPECT_FALSE(FindRenderer(*graph, MEDIATYPE_Video));
    EXPECT_TRUE(FindRenderer(*graph, MEDIATYPE_Audio));

    std::shared_ptr<MediaSeeking> seeking;
    ASSERT_EQ(graph->QueryMediaSeeking(seeking), S_OK);
    std::int64_t duration = 0;
    EXPECT_EQ(seeking->GetStopPosition(duration), S_OK);
    EXPECT_NEAR(duration / 1e7, 2.0, 0.1);

    std::shared_ptr<BasicVideo> video;
    ASSERT_EQ(graph->QueryBasicVideo(video), S_OK);
    long w = 0, h = 0;
    const HRESULT hr = video->GetVideoSize(w, h);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_TRUE(HasErrorText(hr));
}

TEST_F(RenderFileTest, VideoOnlyFileHasNoAudioRenderer) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::VideoOnlyMkv().string());
    ASSERT_TRUE(graph);
    EXPECT_TRUE(FindRenderer(*graph, MEDIATYPE_Video));
    EXPECT_FALSE(FindRenderer(*graph, MEDIATYPE_Audio));
    EXPECT_EQ(FilterNames(*graph).size(), 3u);
}

TEST_F(RenderFileTest, ProbeFactsMatchTheSourceInEveryContainer) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    const double frame = 1001.0 / 30000.0;
    for (const auto& clip :
         {fixtures::H264AacMp4(), fixtures::Mpeg4Mp3Avi(), fixtures::Vp8VorbisWebm()}) {
        SCOPED_TRACE(clip.filename().string());
        auto graph = Render(clip.string());
        ASSERT_TRUE(graph);
        std::shared_ptr<MediaSeeking> seeking;
        std::shared_ptr<BasicVideo> video;
        ASSERT_EQ(graph->QueryMediaSeeking(seeking), S_OK);
        ASSERT_EQ(graph->QueryBasicVideo(video), S_OK);
        std::int64_t duration = 0;
        ASSERT_EQ(seeking->GetStopPosition(duration), S_OK);
        EXPECT_NEAR(duration / 1e7, 2.0, 2 * frame);
        long w = 0, h = 0;
        ASSERT_EQ(video->GetVideoSize(w, h), S_OK);
        EXPECT_EQ(w, 718);
        EXPECT_EQ(h, 404);
        double seconds = 0;
        ASSERT_EQ(video->get_AvgTimePerFrame(seconds), S_OK);
        EXPECT_NEAR(seconds, frame, 1e-9);
        EXPECT_NEAR(10'000'000 / seconds * 0.0000001, 29.97, 0.0005);
    }
}

TEST_F(RenderFileTest, SecondRenderIntoTheSameGraphIsRefused) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    EXPECT_EQ(graph->RenderFile(fixtures::H264AacMp4().string()), VFW_E_WRONG_STATE);
}

class GraphEditTest : public MediaTest {};

TEST_F(GraphEditTest, RemoveFilterBreaksBothSidesDisconnectOnlyOne) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    auto videoRenderer = FindRenderer(*graph, MEDIATYPE_Video);
    std::shared_ptr<Pin> decoderOut;
    ASSERT_EQ(GetPin(*videoRenderer, PINDIR_INPUT, 0)->ConnectedTo(decoderOut), S_OK);
    ASSERT_EQ(graph->RemoveFilter(videoRenderer), S_OK);
    std::shared_ptr<Pin> peer;
    EXPECT_EQ(decoderOut->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(GetPin(*videoRenderer, PINDIR_INPUT, 0)->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(FilterNames(*graph).size(), 4u);
    EXPECT_EQ(graph->RemoveFilter(videoRenderer), VFW_E_NOT_FOUND);
    EXPECT_EQ(graph->RemoveFilter(nullptr), E_POINTER);
    FilterInfo info;
    videoRenderer->QueryFilterInfo(info);
    EXPECT_FALSE(info.graph) << "a removed filter belongs to no graph";

    auto audioRenderer = FindRenderer(*graph, MEDIATYPE_Audio);
    auto rendererIn = GetPin(*audioRenderer, PINDIR_INPUT, 0);
    std::shared_ptr<Pin> audioOut;
    ASSERT_EQ(rendererIn->ConnectedTo(audioOut), S_OK);
    EXPECT_EQ(graph->Disconnect(rendererIn), S_OK);
    EXPECT_EQ(rendererIn->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(audioOut->ConnectedTo(peer), S_OK)
        << "the other side stays until it is disconnected too";
    EXPECT_EQ(graph->Disconnect(audioOut), S_OK);
    EXPECT_EQ(graph->Disconnect(audioOut), S_FALSE);
    MediaType type;
    EXPECT_EQ(rendererIn->ConnectionMediaType(type), VFW_E_NOT_CONNECTED);
}

TEST_F(GraphEditTest, AddFilterKeepsNamesUniqueAndAFilterInOneGraph) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    auto first = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    auto second = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(graph->AddFilter(first, "VideoCompressor"), S_OK);
    EXPECT_EQ(graph->AddFilter(second, "VideoCompressor"), S_OK);
    EXPECT_EQ(first->Name(), "VideoCompressor");
    EXPECT_EQ(second->Name(), "VideoCompressor 0001");
    std::shared_ptr<Filter> found;
    ASSERT_EQ(graph->FindFilterByName("VideoCompressor", found), S_OK);
    EXPECT_EQ(found, first);
    EXPECT_EQ(graph->AddFilter(first, "Again"), E_INVALIDARG);
    EXPECT_EQ(graph->AddFilter(nullptr, "VideoCompressor"), E_POINTER);
}

TEST_F(GraphEditTest, ForcedFailuresReachEveryCallerVisibleStep) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    using media::testing::Operation;
    using media::testing::ScopedFailure;
    {
        ScopedFailure fail(Operation::CreateFilterGraph, E_OUTOFMEMORY);
        std::shared_ptr<FilterGraph> graph;
        EXPECT_EQ(CreateFilterGraph(graph), E_OUTOFMEMORY);
        EXPECT_FALSE(graph);
    }
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    std::shared_ptr<MediaSeeking> seeking;
    std::shared_ptr<BasicVideo> video;
    std::shared_ptr<MediaControl> control;
    std::shared_ptr<MediaEventEx> events;
    {
        ScopedFailure a(Operation::QueryMediaSeeking), b(Operation::QueryBasicVideo),
            c(Operation::QueryMediaControl), d(Operation::QueryMediaEventEx);
        EXPECT_EQ(graph->QueryMediaSeeking(seeking), E_FAIL);
        EXPECT_EQ(graph->QueryBasicVideo(video), E_FAIL);
        EXPECT_EQ(graph->QueryMediaControl(control), E_FAIL);
        EXPECT_EQ(graph->QueryMediaEventEx(events), E_FAIL);
        EXPECT_FALSE(seeking || video || control || events);
    }
    ASSERT_EQ(graph->QueryMediaSeeking(seeking), S_OK);
    ASSERT_EQ(graph->QueryBasicVideo(video), S_OK);
    ScopedFailure a(Operation::GetStopPosition), b(Operation::GetVideoSize),
        c(Operation::GetAvgTimePerFrame), d(Operation::EnumFilters), e(Operation::EnumPins),
        f(Operation::ConnectionMediaType), g(Operation::RemoveFilter);
    std::int64_t stop;
    long w, h;
    double t;
    EXPECT_TRUE(FAILED(seeking->GetStopPosition(stop)));
    EXPECT_TRUE(FAILED(video->GetVideoSize(w, h)));
    EXPECT_TRUE(FAILED(video->get_AvgTimePerFrame(t)));
    std::shared_ptr<EnumFilters> filters;
    EXPECT_TRUE(FAILED(graph->EnumFilters(filters)));
    media::testing::ClearFailure(Operation::EnumFilters);
    auto all = Filters(*graph);
    ASSERT_FALSE(all.empty());
    std::shared_ptr<EnumPins> pins;
    EXPECT_TRUE(FAILED(all.back()->EnumPins(pins)));
    EXPECT_TRUE(FAILED(graph->RemoveFilter(all.back())));
}

// The program's own runtime has no hooks: whatever a test forces, its objects answer
// as they would in the field.
TEST_F(GraphEditTest, TheLayersOwnRuntimeIgnoresEveryForcedFailure) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    using media::testing::Operation;
    for (int op = 0; op < static_cast<int>(Operation::Count); ++op)
        media::testing::ForceFailure(static_cast<Operation>(op), E_OUTOFMEMORY);
    media::InstallRuntime(nullptr);

    EXPECT_TRUE(SUCCEEDED(Initialize()));
    Uninitialize();
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    std::shared_ptr<MediaSeeking> seeking;
    std::shared_ptr<BasicVideo> video;
    std::shared_ptr<MediaControl> control;
    std::shared_ptr<MediaEventEx> events;
    ASSERT_EQ(graph->QueryMediaSeeking(seeking), S_OK);
    ASSERT_EQ(graph->QueryBasicVideo(video), S_OK);
    ASSERT_EQ(graph->QueryMediaControl(control), S_OK);
    ASSERT_EQ(graph->QueryMediaEventEx(events), S_OK);
    std::int64_t stop = 0;
    long w = 0, h = 0;
    double t = 0;
    EXPECT_EQ(seeking->GetStopPosition(stop), S_OK);
    EXPECT_EQ(video->GetVideoSize(w, h), S_OK);
    EXPECT_EQ(video->get_AvgTimePerFrame(t), S_OK);
    EXPECT_EQ(events->SetNotifyWindow([] {}), S_OK);
    EXPECT_EQ(events->SetNotifyWindow(nullptr), S_OK);
    auto all = Filters(*graph);
    ASSERT_FALSE(all.empty()) << "EnumFilters";
    EXPECT_FALSE(Pins(*all.front()).empty()) << "EnumPins";
    MediaType type;
    EXPECT_EQ(Pins(*all.front()).front()->ConnectionMediaType(type), S_OK);
    EXPECT_EQ(graph->RemoveFilter(all.back()), S_OK);

    std::shared_ptr<CaptureGraphBuilder> builder;
    ASSERT_EQ(CreateCaptureGraphBuilder(builder), S_OK);
    EXPECT_EQ(builder->SetFiltergraph(graph), S_OK);
    std::shared_ptr<CreateDevEnum> devices;
    ASSERT_EQ(CreateSystemDeviceEnum(devices), S_OK);
    std::shared_ptr<EnumMoniker> monikers;
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_AudioCompressorCategory, monikers, 0), S_OK);
    std::shared_ptr<Moniker> first;
    ASSERT_EQ(monikers->Next(first), S_OK);
    std::shared_ptr<PropertyBag> bag;
    std::shared_ptr<Filter> compressor;
    EXPECT_EQ(first->BindToStorage(bag), S_OK);
    EXPECT_EQ(first->BindToObject(compressor), S_OK);
}

}  // namespace
