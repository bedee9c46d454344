// Whole conversions through the layer, each output read back with ffprobe.
#include <atomic>
#include <cmath>
#include <map>

#include "MediaTestSupport.h"
#include "TestEnv.h"

namespace {

using namespace media;
using namespace mediatest;

struct FormatCase {
    const char* label;
    Guid writer;
    std::filesystem::path (*source)();
    const char* videoCompressor;
    const char* audioCompressor;
    const char* extension;
    const char* formatName;
    const char* videoCodec;
    const char* audioCodec;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.label; }

const FormatCase kFormats[] = {
    {"avi", MEDIASUBTYPE_Avi, fixtures::H264AacMp4, kFfdshowVideoEncoderName, kMicrosoftAdpcmName,
     ".avi", "avi", "mpeg4", "adpcm_ms"},
    {"mkv", CLSID_MatroskaMux, fixtures::Mpeg4Mp3Avi, kFfdshowVideoEncoderName, kMicrosoftAdpcmName,
     ".mkv", "matroska,webm", "mpeg4", "adpcm_ms"},
    {"asf", CLSID_AsfMux, fixtures::Vp8VorbisWebm, kFfdshowVideoEncoderName, kMicrosoftAdpcmName,
     ".asf", "asf", "mpeg4", "adpcm_ms"},
    {"webm", CLSID_WebmMux, fixtures::H264AacMp4, kWebmVp8EncoderName, kVorbisEncoderName, ".webm",
     "matroska,webm", "vp8", "vorbis"},
};

class ConvertTest : public MediaTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ConvertTest, WritesAPlayableFileWithBothStreamsAtTheSourceSizeAndLength) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    const FormatCase& c = GetParam();
    testenv::TempDir dir;
    const std::string source = c.source().string();
    const std::string output = (dir / (std::string("out") + c.extension)).string();
    auto video = BindCompressor(CLSID_VideoCompressorCategory, c.videoCompressor);
    auto audio = BindCompressor(CLSID_AudioCompressorCategory, c.audioCompressor);
    ASSERT_TRUE(video && audio);
    if (std::string(c.label) == "webm") {
        // The encoder's own default is slow; the property pages' route makes it quick.
        ASSERT_EQ(SetFilterOptions(video, {{"deadline", "realtime"}, {"cpu-used", "8"}}), S_OK);
    }
    Conversion conv;
    ASSERT_EQ(BuildConversion(source, c.writer, output, video, audio, conv), S_OK);
    HRESULT hr = E_FAIL;
    ASSERT_EQ(RunToEnd(*conv.graph, &hr), EC_COMPLETE) << ErrorText(hr);

    const auto in = fixtures::ProbeFile(source, true);
    const auto out = fixtures::ProbeFile(output, true);
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.formatName, c.formatName);
    const auto* v = out.Find("video");
    const auto* a = out.Find("audio");
    ASSERT_TRUE(v && a);
    EXPECT_EQ(v->codec, c.videoCodec);
    EXPECT_EQ(a->codec, c.audioCodec);
    EXPECT_EQ(v->width, 718);
    EXPECT_EQ(v->height, 404);
    EXPECT_EQ(a->channels, 2);
    const double frame = 1001.0 / 30000.0;
    EXPECT_NEAR(out.duration, in.duration, frame + 1e-3);
    EXPECT_NEAR(v->frames, in.Find("video")->frames, 1);
    // Audio runs as long as the source's, give or take one encoder block.
    EXPECT_NEAR(a->end, in.Find("audio")->end, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Formats, ConvertTest, ::testing::ValuesIn(kFormats),
                         [](const auto& param) { return std::string(param.param.label); });

class UncompressedTest : public MediaTest {};

TEST_F(UncompressedTest, AviCarriesRawVideoAndPcm) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    const std::string output = (dir / "raw.avi").string();
    Conversion conv;
    ASSERT_EQ(BuildConversion(fixtures::Vp8VorbisWebm().string(), MEDIASUBTYPE_Avi, output, nullptr,
                              nullptr, conv),
              S_OK);
    HRESULT hr = E_FAIL;
    ASSERT_EQ(RunToEnd(*conv.graph, &hr), EC_COMPLETE) << ErrorText(hr);
    const auto out = fixtures::ProbeFile(output);
    ASSERT_TRUE(out.ok && out.Find("video") && out.Find("audio"));
    EXPECT_EQ(out.Find("video")->codec, "rawvideo");
    EXPECT_EQ(out.Find("video")->width, 718);
    EXPECT_EQ(out.Find("audio")->codec, "pcm_s16le");
    EXPECT_NEAR(out.duration, 2.0, 1001.0 / 30000.0 + 1e-3);
}

TEST_F(UncompressedTest, WebmRefusesRawVideoAndPcmAtRenderStream) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    Conversion conv;
    HRESULT hr = BuildConversion(fixtures::H264AacMp4().string(), CLSID_WebmMux,
                                 (dir / "a.webm").string(), nullptr, nullptr, conv);
    EXPECT_EQ(hr, VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(conv.videoRoute, VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_TRUE(HasErrorText(conv.videoRoute));

    Conversion conv2;
    auto vp8 = BindCompressor(CLSID_VideoCompressorCategory, kWebmVp8EncoderName);
    hr = BuildConversion(fixtures::H264AacMp4().string(), CLSID_WebmMux, (dir / "b.webm").string(),
                         vp8, nullptr, conv2);
    EXPECT_EQ(conv2.videoRoute, S_OK);
    EXPECT_EQ(conv2.audioRoute, VFW_E_TYPE_NOT_ACCEPTED) << "PCM cannot go into WebM either";
    std::shared_ptr<Pin> peer;
    std::shared_ptr<Filter> audioDecoder;
    ASSERT_EQ(conv2.graph->FindFilterByName("Audio Decoder (aac)", audioDecoder), S_OK);
    EXPECT_EQ(GetPin(*audioDecoder, PINDIR_OUTPUT, 0)->ConnectedTo(peer), VFW_E_NOT_CONNECTED)
        << "a refused route changes nothing";
}

class RouteShapeTest : public MediaTest {};

TEST_F(RouteShapeTest, ConverterSitsBetweenDecoderAndCompressorWhenFormatsDiffer) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    auto video = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    auto audio = BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName);
    Conversion conv;
    // AAC decodes to planar float; the ADPCM encoder takes 16-bit integers.
    ASSERT_EQ(BuildConversion(fixtures::H264AacMp4().string(), MEDIASUBTYPE_Avi,
                              (dir / "o.avi").string(), video, audio, conv),
              S_OK);
    std::shared_ptr<Filter> decoder;
    ASSERT_EQ(conv.graph->FindFilterByName("Audio Decoder (aac)", decoder), S_OK);
    std::shared_ptr<Pin> next;
    ASSERT_EQ(GetPin(*decoder, PINDIR_OUTPUT, 0)->ConnectedTo(next), S_OK);
    PinInfo info;
    next->QueryPinInfo(info);
    EXPECT_EQ(info.filter->Name(), "Audio Resampler");
    ASSERT_EQ(GetPin(*info.filter, PINDIR_OUTPUT, 0)->ConnectedTo(next), S_OK);
    next->QueryPinInfo(info);
    EXPECT_EQ(info.filter, audio);
    ASSERT_EQ(GetPin(*audio, PINDIR_OUTPUT, 0)->ConnectedTo(next), S_OK);
    next->QueryPinInfo(info);
    EXPECT_EQ(info.filter, conv.mux);

    // Video needs no converter: the H.264 decoder's format is the encoder's.
    std::shared_ptr<Filter> videoDecoder;
    ASSERT_EQ(conv.graph->FindFilterByName("Video Decoder (h264)", videoDecoder), S_OK);
    ASSERT_EQ(GetPin(*videoDecoder, PINDIR_OUTPUT, 0)->ConnectedTo(next), S_OK);
    next->QueryPinInfo(info);
    EXPECT_EQ(info.filter, video);
    // The multiplexer keeps offering a free input.
    int inputs = 0, outputs = 0;
    CountPins(*conv.mux, inputs, outputs);
    EXPECT_EQ(inputs, 3);
    EXPECT_EQ(outputs, 1);
}

TEST_F(RouteShapeTest, CompressorOfTheWrongKindOrOutsideTheGraphIsRefused) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    auto renderer = FindRenderer(*graph, MEDIATYPE_Video);
    std::shared_ptr<Pin> videoOut;
    GetPin(*renderer, PINDIR_INPUT, 0)->ConnectedTo(videoOut);
    graph->RemoveFilter(renderer);
    std::shared_ptr<CaptureGraphBuilder> builder;
    ASSERT_EQ(CreateCaptureGraphBuilder(builder), S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
    std::shared_ptr<Filter> mux, sink;
    ASSERT_EQ(builder->SetOutputFileName(MEDIASUBTYPE_Avi, (dir / "o.avi").string(), mux, sink),
              S_OK);
    auto audioCompressor = BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, videoOut, audioCompressor, mux),
              VFW_E_NOT_IN_GRAPH);
    ASSERT_EQ(graph->AddFilter(audioCompressor, "VideoCompressor"), S_OK);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, videoOut, audioCompressor, mux),
              VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, videoOut, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, videoOut, nullptr, mux), S_OK);
    EXPECT_EQ(builder->RenderStream(nullptr, nullptr, videoOut, nullptr, mux),
              VFW_E_ALREADY_CONNECTED);
}

class WriterTest : public MediaTest {};

TEST_F(WriterTest, MissingMultiplexerFailsSetOutputFileName) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    std::shared_ptr<CaptureGraphBuilder> builder;
    ASSERT_EQ(CreateCaptureGraphBuilder(builder), S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
    std::shared_ptr<Filter> mux, sink;

    media::testing::HideMuxers("matroska");
    EXPECT_EQ(builder->SetOutputFileName(CLSID_MatroskaMux, (dir / "o.mkv").string(), mux, sink),
              REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(mux || sink);
    EXPECT_TRUE(HasErrorText(REGDB_E_CLASSNOTREG));

    media::testing::HideMuxers("asf,webm");
    EXPECT_EQ(builder->SetOutputFileName(CLSID_AsfMux, (dir / "o.asf").string(), mux, sink),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(builder->SetOutputFileName(CLSID_WebmMux, (dir / "o.webm").string(), mux, sink),
              REGDB_E_CLASSNOTREG);

    EXPECT_EQ(builder->SetOutputFileName(CLSID_VideoCompressorCategory, (dir / "o.x").string(), mux,
                                         sink),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(FilterNames(*graph).size(), 5u) << "failed writers add nothing";

    ASSERT_EQ(builder->SetOutputFileName(MEDIASUBTYPE_Avi, (dir / "o.avi").string(), mux, sink),
              S_OK);
    ASSERT_TRUE(QueryConfigInterleaving(mux));
    EXPECT_EQ(QueryConfigInterleaving(mux)->put_Mode(INTERLEAVE_FULL), S_OK);
    ASSERT_TRUE(QueryFileSinkFilter2(sink));
    EXPECT_EQ(QueryFileSinkFilter2(sink)->SetMode(AM_FILE_OVERWRITE), S_OK);
    EXPECT_FALSE(QueryFileSinkFilter2(mux));
    EXPECT_FALSE(QueryConfigInterleaving(sink));
    std::string file;
    QueryFileSinkFilter2(sink)->GetCurFile(file);
    EXPECT_EQ(file, (dir / "o.avi").string());
}

TEST_F(WriterTest, TheProgramHidesNoMultiplexerWhateverItsEnvironmentSays) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    struct Environment {
        Environment() { ::setenv("QUORVEL_HIDE_MUXERS", "asf,webm,matroska,mp4", 1); }
        ~Environment() { ::unsetenv("QUORVEL_HIDE_MUXERS"); }
    } hiding;
    media::InstallRuntime(nullptr);  // the program's own: no test's hooks behind it
    testenv::TempDir dir;
    const std::pair<Guid, const char*> writers[] = {{CLSID_AsfMux, "o.asf"},
                                                    {CLSID_WebmMux, "o.webm"},
                                                    {CLSID_MatroskaMux, "o.mkv"},
                                                    {CLSID_Mp4Mux, "o.mp4"}};
    for (const auto& [type, name] : writers) {
        auto graph = Render(fixtures::H264AacMp4().string());
        ASSERT_TRUE(graph);
        std::shared_ptr<CaptureGraphBuilder> builder;
        ASSERT_EQ(CreateCaptureGraphBuilder(builder), S_OK);
        ASSERT_EQ(builder->SetFiltergraph(graph), S_OK);
        std::shared_ptr<Filter> mux, sink;
        EXPECT_EQ(builder->SetOutputFileName(type, (dir / name).string(), mux, sink), S_OK) << name;
        EXPECT_TRUE(mux && sink) << name;
    }
}

TEST_F(WriterTest, ClassIdentifierStringsNameTheWriterTypes) {
    Guid g;
    ASSERT_TRUE(GuidFromString(kMatroskaMuxClassId, g));
    EXPECT_EQ(g, CLSID_MatroskaMux);
    ASSERT_TRUE(GuidFromString(kAsfMuxClassId, g));
    EXPECT_EQ(g, CLSID_AsfMux);
    ASSERT_TRUE(GuidFromString(kWebmMuxClassId, g));
    EXPECT_EQ(g, CLSID_WebmMux);
    EXPECT_EQ(ToString(CLSID_WebmMux), kWebmMuxClassId);
    ASSERT_TRUE(GuidFromString(kMp4MuxClassId, g));
    EXPECT_EQ(g, CLSID_Mp4Mux);
    EXPECT_FALSE(GuidFromString("{ED3110F0-5211-11DF-94AF-0026B977EEA}", g));
}

class RunTest : public MediaTest {};

TEST_F(RunTest, StopMidRunLeavesAFinalisedReadableFile) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    const std::string output = (dir / "stopped.webm").string();
    auto vp8 = BindCompressor(CLSID_VideoCompressorCategory, kWebmVp8EncoderName);
    auto vorbis = BindCompressor(CLSID_AudioCompressorCategory, kVorbisEncoderName);
    Conversion conv;
    ASSERT_EQ(BuildConversion(fixtures::LongH264AacMp4().string(), CLSID_WebmMux, output, vp8,
                              vorbis, conv),
              S_OK);
    std::shared_ptr<MediaControl> control;
    std::shared_ptr<MediaEventEx> events;
    std::shared_ptr<MediaSeeking> seeking;
    ASSERT_EQ(conv.graph->QueryMediaControl(control), S_OK);
    ASSERT_EQ(conv.graph->QueryMediaEventEx(events), S_OK);
    ASSERT_EQ(conv.graph->QueryMediaSeeking(seeking), S_OK);
    ASSERT_EQ(control->Run(), S_OK);

    // Wait (bounded) until half a second of media is written, then stop.
    std::int64_t position = 0;
    long code = 0;
    for (int i = 0; i < 3000 && position < 5'000'000; ++i) {
        ASSERT_EQ(events->WaitForCompletion(20, code), E_ABORT)
            << "the run ended before it could be stopped";
        seeking->GetCurrentPosition(position);
    }
    ASSERT_GE(position, 5'000'000);
    EXPECT_EQ(conv.graph->RemoveFilter(conv.sink), VFW_E_NOT_STOPPED) << "no edits while streaming";
    ASSERT_EQ(control->Stop(), S_OK);
    LONG_PTR p1, p2;
    EXPECT_EQ(events->GetEvent(code, p1, p2, 0), E_ABORT) << "Stop queues no completion";

    const auto out = fixtures::ProbeFile(output);
    ASSERT_TRUE(out.ok);
    EXPECT_TRUE(out.Find("video") && out.Find("audio"));
    EXPECT_GT(out.duration, 0.4);
    EXPECT_LT(out.duration, 9.0);
    EXPECT_EQ(control->Stop(), S_OK) << "stopping twice is harmless";
    EXPECT_EQ(control->Run(), VFW_E_WRONG_STATE) << "a stopped conversion is not restarted";
}

TEST_F(RunTest, NotificationsArriveForEachEventUntilCancelled) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    Conversion conv;
    ASSERT_EQ(
        BuildConversion(fixtures::H264AacMp4().string(), MEDIASUBTYPE_Avi, (dir / "o.avi").string(),
                        BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName),
                        BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName), conv),
        S_OK);
    std::shared_ptr<MediaEventEx> events;
    ASSERT_EQ(conv.graph->QueryMediaEventEx(events), S_OK);
    std::atomic<int> notified{0};
    ASSERT_EQ(events->SetNotifyWindow([&] { ++notified; }), S_OK);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(RunToEnd(*conv.graph, &hr), EC_COMPLETE);
    EXPECT_EQ(notified.load(), 1);
    ASSERT_EQ(events->SetNotifyWindow({}), S_OK);

    {
        media::testing::ScopedFailure fail(media::testing::Operation::SetNotifyWindow);
        EXPECT_EQ(events->SetNotifyWindow([] {}), E_FAIL);
    }
    long code;
    LONG_PTR p1, p2;
    EXPECT_EQ(events->GetEvent(code, p1, p2, 0), E_ABORT);
}

TEST_F(RunTest, StreamingFailureQueuesErrorAbortWithItsCode) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    const std::string output = (dir / "o.mkv").string();
    Conversion conv;
    ASSERT_EQ(
        BuildConversion(fixtures::H264AacMp4().string(), CLSID_MatroskaMux, output,
                        BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName),
                        BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName), conv),
        S_OK);
    media::testing::ForceFailure(media::testing::Operation::Streaming, HRESULT_DISK_FULL);
    HRESULT hr = S_OK;
    EXPECT_EQ(RunToEnd(*conv.graph, &hr), EC_ERRORABORT);
    EXPECT_EQ(hr, HRESULT_DISK_FULL);
    EXPECT_FALSE(std::filesystem::exists(output)) << "a failed run leaves no output behind";
}

TEST_F(RunTest, RunFailsAtOnceWhenTheOutputCannotBeCreated) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    Conversion conv;
    ASSERT_EQ(BuildConversion(fixtures::H264AacMp4().string(), MEDIASUBTYPE_Avi,
                              (dir / "no/such/o.avi").string(), nullptr, nullptr, conv),
              S_OK);
    HRESULT hr = S_OK;
    EXPECT_EQ(RunToEnd(*conv.graph, &hr), 0);
    EXPECT_EQ(hr, HRESULT_PATH_NOT_FOUND);
    EXPECT_TRUE(HasErrorText(hr));

    // Writing over the source itself is refused before anything is touched.
    const auto source = dir / "source.mp4";
    std::filesystem::copy_file(fixtures::H264AacMp4(), source);
    const auto size = std::filesystem::file_size(source);
    Conversion onto;
    ASSERT_EQ(
        BuildConversion(source.string(), MEDIASUBTYPE_Avi, source.string(), nullptr, nullptr, onto),
        S_OK);
    EXPECT_EQ(RunToEnd(*onto.graph, &hr), 0);
    EXPECT_EQ(hr, QV_E_OUTPUT_IS_SOURCE);
    EXPECT_EQ(std::filesystem::file_size(source), size);

    media::testing::ScopedFailure fail(media::testing::Operation::Run, VFW_E_RUNTIME_ERROR);
    Conversion forced;
    ASSERT_EQ(BuildConversion(fixtures::H264AacMp4().string(), MEDIASUBTYPE_Avi,
                              (dir / "f.avi").string(), nullptr, nullptr, forced),
              S_OK);
    EXPECT_EQ(RunToEnd(*forced.graph, &hr), 0);
    EXPECT_EQ(hr, VFW_E_RUNTIME_ERROR);
}

TEST_F(RunTest, CompressorSettingsReachTheEncoder) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    std::uintmax_t sizes[2] = {0, 0};
    // Long groups and coarse quantising, then every frame a key frame.
    const std::map<std::string, std::string> settings[2] = {{{"g", "300"}, {"qmin", "20"}},
                                                            {{"g", "1"}}};
    for (int i = 0; i < 2; ++i) {
        auto video = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
        ASSERT_EQ(SetFilterOptions(video, settings[i]), S_OK);
        const auto output = dir / ("o" + std::to_string(i) + ".avi");
        Conversion conv;
        ASSERT_EQ(BuildConversion(
                      fixtures::H264AacMp4().string(), MEDIASUBTYPE_Avi, output.string(), video,
                      BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName), conv),
                  S_OK);
        ASSERT_EQ(RunToEnd(*conv.graph), EC_COMPLETE);
        sizes[i] = std::filesystem::file_size(output);
    }
    EXPECT_GT(sizes[1], sizes[0] * 2);
}

}  // namespace

namespace {

// One short conversion with the given video settings; the file's size, 0 when
// the run did not complete.
std::uintmax_t ConvertWith(const std::filesystem::path& output, const char* videoCompressor,
                           const char* audioCompressor, const Guid& writer,
                           const std::map<std::string, std::string>& settings) {
    auto video = BindCompressor(CLSID_VideoCompressorCategory, videoCompressor);
    if (SetFilterOptions(video, settings) != S_OK) return 0;
    Conversion conv;
    if (BuildConversion(fixtures::H264AacMp4().string(), writer, output.string(), video,
                        BindCompressor(CLSID_AudioCompressorCategory, audioCompressor),
                        conv) != S_OK ||
        RunToEnd(*conv.graph) != EC_COMPLETE)
        return 0;
    return std::filesystem::file_size(output);
}

TEST_F(RunTest, ChangedRowsChangeTheFileAndUntouchedOnesKeepTheGoodDefaults) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    // MPEG-4 starts at a fine constant quantizer; a coarse one shrinks the file, a
    // high bitrate swells it.
    const auto fine = ConvertWith(dir / "fine.avi", kFfdshowVideoEncoderName, kMicrosoftAdpcmName,
                                  MEDIASUBTYPE_Avi, {});
    const auto rich = ConvertWith(dir / "rich.avi", kFfdshowVideoEncoderName, kMicrosoftAdpcmName,
                                  MEDIASUBTYPE_Avi, {{"b", "4000000"}});
    const auto coarse = ConvertWith(dir / "coarse.avi", kFfdshowVideoEncoderName,
                                    kMicrosoftAdpcmName, MEDIASUBTYPE_Avi,
                                    {{"global_quality", std::to_string(31 * 118)}});
    ASSERT_GT(fine, 0u);
    ASSERT_GT(rich, 0u);
    ASSERT_GT(coarse, 0u);
    // The sound is the same in all three.
    EXPECT_GT(rich, fine * 11 / 10);
    EXPECT_LT(coarse * 11 / 10, fine);
    const auto richRead = fixtures::ProbeFile(dir / "rich.avi");
    const auto fineRead = fixtures::ProbeFile(dir / "fine.avi");
    ASSERT_TRUE(richRead.Find("video") && fineRead.Find("video"));
    EXPECT_GT(richRead.Find("video")->bitRate, fineRead.Find("video")->bitRate);

    // VP8: a coarser constant quality gives a smaller file.
    const std::map<std::string, std::string> quick = {{"deadline", "realtime"}, {"cpu-used", "8"}};
    auto capped = quick;
    capped["crf"] = "60";
    const auto vp8 = ConvertWith(dir / "vp8.webm", kWebmVp8EncoderName, kVorbisEncoderName,
                                 CLSID_WebmMux, quick);
    const auto vp8Capped = ConvertWith(dir / "capped.webm", kWebmVp8EncoderName,
                                       kVorbisEncoderName, CLSID_WebmMux, capped);
    ASSERT_GT(vp8, 0u);
    ASSERT_GT(vp8Capped, 0u);
    EXPECT_LT(vp8Capped * 11 / 10, vp8);
}

TEST_F(RunTest, SettingsTheEncoderRefusesTogetherNeverStopARun) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    testenv::TempDir dir;
    // Each value is in range, but VP8 will not open with its smallest quantizer above its largest.
    const auto size = ConvertWith(dir / "out.webm", kWebmVp8EncoderName, kVorbisEncoderName,
                                  CLSID_WebmMux,
                                  {{"qmin", "50"}, {"qmax", "10"}, {"deadline", "realtime"}});
    EXPECT_GT(size, 0u);
    const auto read = fixtures::ProbeFile(dir / "out.webm", true);
    EXPECT_TRUE(read.ok);
    ASSERT_TRUE(read.Find("video"));
    EXPECT_GT(read.Find("video")->frames, 0);
}

}  // namespace
