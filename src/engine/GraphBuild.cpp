// Turning the opened playback graph into a conversion graph, and back.
#include <cmath>

#include "ProgramInfo.h"
#include "engine/Conversion.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"
#include "engine/WmProfile.h"
#include "i18n/LanguagePack.h"
#include "platform/Format.h"
#include "platform/Time.h"
#include "platform/media/Media.h"
#include "resources/Resources.h"

namespace engine {
namespace {

using media::Filter;
using media::FilterGraph;
using media::Pin;

constexpr const char* kSetOutputFileNameFailed =
    "Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )";

HRESULT CountFilterPins(const std::shared_ptr<Filter>& filter, int& inputs, int& outputs) {
    inputs = outputs = 0;
    std::shared_ptr<media::EnumPins> pins;
    HRESULT hr = filter->EnumPins(pins);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Pin> pin;
    while (pins->Next(pin) == S_OK) {
        media::PinDirection direction;
        hr = pin->QueryDirection(direction);
        if (FAILED(hr)) return hr;
        (direction == media::PINDIR_INPUT ? inputs : outputs)++;
    }
    return S_OK;
}

HRESULT GetPin(const std::shared_ptr<Filter>& filter, media::PinDirection direction, int n,
               std::shared_ptr<Pin>& out) {
    out.reset();
    if (!filter) return E_POINTER;
    std::shared_ptr<media::EnumPins> pins;
    HRESULT hr = filter->EnumPins(pins);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Pin> pin;
    while (pins->Next(pin) == S_OK) {
        media::PinDirection d;
        if (SUCCEEDED(pin->QueryDirection(d)) && d == direction && n-- == 0) {
            out = pin;
            return S_OK;
        }
    }
    return E_FAIL;
}

// Whether the source filter (the one without inputs) offers a sound stream. A clip
// without sound is converted to its picture alone.
bool SourceHasSound(const std::shared_ptr<FilterGraph>& graph) {
    std::shared_ptr<media::EnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters))) return true;  // cannot tell: ask for the pin
    std::shared_ptr<Filter> filter;
    while (filters->Next(filter) == S_OK) {
        int inputs = 0, outputs = 0;
        if (FAILED(CountFilterPins(filter, inputs, outputs)) || inputs != 0) continue;
        std::shared_ptr<Pin> pin;
        for (int n = 0; SUCCEEDED(GetPin(filter, media::PINDIR_OUTPUT, n, pin)); ++n) {
            media::MediaType type;
            if (SUCCEEDED(pin->ConnectionMediaType(type)) && type.majortype == media::MEDIATYPE_Audio)
                return true;
        }
    }
    return false;
}

// The source's own frames per second, or 0 when it cannot be told. Only the opened
// graph knows it: the video renderer carries it.
double SourceFrameRate(const std::shared_ptr<FilterGraph>& graph) {
    std::shared_ptr<media::BasicVideo> video;
    double seconds = 0;
    if (FAILED(graph->QueryBasicVideo(video)) || FAILED(video->get_AvgTimePerFrame(seconds)) ||
        !(seconds > 0))
        return 0;
    return 1 / seconds;
}

// Interleaving, the tracks written and overwrite, when the writer offers them;
// results are not examined. Overwrite only when replacing the output was agreed: a
// file that appears there during the run is then left alone.
void ConfigureWriter(const std::shared_ptr<Filter>& mux, const std::shared_ptr<Filter>& sink,
                     const OutputSettings& s, bool replace) {
    if (auto interleaving = media::QueryConfigInterleaving(mux))
        interleaving->put_Mode(media::INTERLEAVE_FULL);
    if (auto streams = media::QueryConfigStreams(mux)) {
        streams->put_AudioTracks(s.allAudioTracks ? media::AudioTracks::All
                                                  : media::AudioTracks::DefaultOnly);
        streams->put_WritingApplication(std::string(resources::kProgramTitle) + " " +
                                        program::kVersion);
    }
    if (auto fileSink = media::QueryFileSinkFilter2(sink))
        fileSink->SetMode(replace ? media::AM_FILE_OVERWRITE : 0);
}

// The Windows Media writer, configured with a profile made from the settings (or read
// from profile text when the file-profile switch is on). It compresses by itself, so
// the decoders connect straight to it.
HRESULT WmvWriterStep(media::CaptureGraphBuilder& builder, OutputSettings& s, bool withSound,
                      double sourceFrameRate, bool replace, Reporter& reporter,
                      std::shared_ptr<Filter>& mux, std::shared_ptr<Filter>& sink) {
    auto formatted = [&reporter](const char* format, HRESULT hr) {
        reporter.Say(Reporter::Kind::Formatted, StrFormat(format, static_cast<unsigned>(hr)), {});
    };
    AudioProfileParams audio;
    audio.present = withSound;
    audio.bitrate = static_cast<std::uint32_t>(s.audioBitrate);
    audio.formatTag = wmf::WAVE_FORMAT_WMAUDIO2;
    audio.sampleRate = 44100;
    audio.channels = 2;
    VideoProfileParams video;
    video.fourcc = wmf::FOURCC_WMV3;
    video.bitrate = static_cast<std::uint32_t>(s.videoBitrate);
    video.height = static_cast<std::uint32_t>(s.outputHeight);
    video.width = static_cast<std::uint32_t>(s.outputWidth);
    // Truncated toward zero; a rate that is no number or out of range counts as 0.
    video.framesPerSecond =
        s.frameRate >= 1 && s.frameRate < 4294967296.0 ? static_cast<std::uint32_t>(s.frameRate) : 0;
    // The source's rate keeps every frame; the stored rate stands in when it is unknown.
    const double rate = sourceFrameRate > 0 ? sourceFrameRate : s.frameRate;
    if (rate >= 1 && rate < kHundredNsPerSecond)
        video.avgTimePerFrame = static_cast<std::int64_t>(std::llround(kHundredNsPerSecond / rate));
    video.quality = 0;
    video.secondsBetweenKeyFrames = 8;

    std::shared_ptr<wmf::WMProfile> profile;
    HRESULT hr = WmProfileBuilder::GenerateProfile(audio, video, wmf::WMT_VER_9_0, profile);
    if (hr == wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED) {
        // No open Windows Media Video 9 encoder exists; version 8 is what this platform has.
        video.fourcc = wmf::FOURCC_WMV2;
        hr = WmProfileBuilder::GenerateProfile(audio, video, wmf::WMT_VER_9_0, profile);
    }
    if (FAILED(hr)) {
        formatted("Failed to GenerateProfile Audio video with script!  hr=0x%x\n", hr);
        return hr;
    }

    hr = builder.SetOutputFileName(FormatRow(kWmv).writerType, s.outputPath, mux, sink);
    if (FAILED(hr)) {
        reporter.Say(Reporter::Kind::Application, kSetOutputFileNameFailed, {});
        return hr;
    }
    ConfigureWriter(mux, sink, s, replace);

    auto config = media::QueryConfigAsfWriter(mux);
    if (!config) {
        hr = E_NOINTERFACE;
        formatted("Failed to QI for IConfigAsfWriter!  hr=0x%x\n", hr);
        return hr;
    }
    if (s.fileProfile == 1) {
        std::shared_ptr<wmf::WMProfile> mapped;
        hr = WmProfileBuilder::MapProfile("test2", &mapped);
        if (FAILED(hr)) {
            formatted("Failed to map profile ID!  hr=0x%x\n", hr);
            return hr;
        }
        hr = config->ConfigureFilterUsingProfile(mapped);
        if (FAILED(hr)) {
            formatted("Failed to configure filter to use file profile!  hr=0x%x\n", hr);
            return hr;
        }
    } else {
        hr = config->ConfigureFilterUsingProfile(profile);
        if (FAILED(hr)) {
            formatted("Failed to configure filter to use profile!  hr=0x%x\n", hr);
            return hr;
        }
    }
    s.useVideoCompressor = false;
    s.useAudioCompressor = false;
    return hr;
}

// A new instance of the format family's preferred compressor, or none.
std::shared_ptr<Filter> PreferredCompressor(bool video, int format, Reporter& reporter) {
    const OutputFormatRow& row = OutputFormatTable[static_cast<std::size_t>(FamilyFormat(format))];
    const char* fragment = video ? row.preferredVideo : row.preferredAudio;
    int index = -1;
    std::shared_ptr<Filter> filter;
    if (fragment &&
        FindPreferredCompressor(video ? CompressorCategory::Video : CompressorCategory::Audio,
                                fragment, index, reporter))
        (video ? engine::GetCompressor : engine::GetAudioCompressor)(index, &filter, reporter);
    return filter;
}

}  // namespace

HRESULT Conversion::FindRenderer(const std::shared_ptr<FilterGraph>& graph, bool video,
                                 std::shared_ptr<Filter>& renderer) {
    renderer.reset();
    std::shared_ptr<media::EnumFilters> filters;
    HRESULT hr = graph->EnumFilters(filters);
    if (FAILED(hr)) return hr;
    filters->Reset();
    const media::Guid& major = video ? media::MEDIATYPE_Video : media::MEDIATYPE_Audio;
    std::shared_ptr<Filter> filter;
    while (!renderer && filters->Next(filter) == S_OK) {
        int inputs = 0, outputs = 0;
        hr = CountFilterPins(filter, inputs, outputs);
        if (FAILED(hr)) return hr;
        if (inputs == 1 && outputs == 0) {
            std::shared_ptr<Pin> pin;
            GetPin(filter, media::PINDIR_INPUT, 0, pin);
            media::MediaType type;
            hr = pin ? pin->ConnectionMediaType(type) : E_POINTER;
            if (FAILED(hr)) return hr;
            if (type.majortype == major) renderer = filter;
        }
    }
    return hr;
}

void Conversion::WindowBox(const std::string& text) {
    reporter().Say(Reporter::Kind::Window, text, "Error");
}

// Takes a renderer out of the graph, keeping the decoder pin that fed it.
HRESULT Conversion::DetachRenderer(const std::shared_ptr<FilterGraph>& graph, bool video,
                                   std::shared_ptr<Pin>& sourcePin) {
    struct Texts {
        const char* noPin;
        const char* notConnected;
        const char* notRemoved;
    };
    static constexpr Texts kVideo{
        "Cannot find video renderer input pin!",
        "Cannot find the output pin connected to video renderer's input pin!",
        "Cannot Remove video renderer"};
    static constexpr Texts kAudio{
        "Cannot find audio renderer input pin!",
        "Cannot find the output pin connected to audio renderer's input pin!",
        "Cannot Remove audio renderer"};
    const Texts& texts = video ? kVideo : kAudio;
    std::shared_ptr<Filter> renderer;
    HRESULT hr = FindRenderer(graph, video, renderer);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Pin> rendererPin;
    GetPin(renderer, media::PINDIR_INPUT, 0, rendererPin);
    if (!rendererPin) {
        WindowBox(texts.noPin);
        return E_NO_RENDERER_PIN;
    }
    hr = rendererPin->ConnectedTo(sourcePin);
    if (FAILED(hr)) {
        WindowBox(texts.notConnected);
        return hr;
    }
    hr = graph->RemoveFilter(renderer);
    if (FAILED(hr)) WindowBox(texts.notRemoved);
    return hr;
}

HRESULT Conversion::BuildConversionGraph(const std::shared_ptr<FilterGraph>& graph) {
    OutputSettings& s = *settings_;
    auto appBox = [this](const std::string& text) {
        reporter().Say(Reporter::Kind::Application, text, {});
    };

    const double sourceFrameRate = SourceFrameRate(graph);
    const bool withSound = SourceHasSound(graph);
    std::shared_ptr<Pin> videoPin, audioPin;
    HRESULT hr = DetachRenderer(graph, true, videoPin);
    if (FAILED(hr)) return hr;
    if (withSound) {
        hr = DetachRenderer(graph, false, audioPin);
        if (FAILED(hr)) return hr;
    }

    std::shared_ptr<media::CaptureGraphBuilder> builder;
    hr = media::CreateCaptureGraphBuilder(builder);
    if (FAILED(hr)) {
        appBox("Could not create ICaptureGraphBuilder2");
        return hr;
    }
    hr = builder->SetFiltergraph(graph);
    if (FAILED(hr)) {
        appBox("Error pBuilder->SetFiltergraph( pGraph )");
        return hr;
    }

    // Writer for the output format.
    std::shared_ptr<Filter> mux, sink;
    if (s.format == kWmv) {
        hr = WmvWriterStep(*builder, s, withSound, sourceFrameRate, replaceOutput, reporter(), mux,
                           sink);
        if (FAILED(hr)) return hr;
    } else {
        // A damaged format number writes AVI, the first format.
        const OutputFormatRow& writer = FormatRow(IsValidFormat(s.format) ? s.format : kAvi);
        hr = builder->SetOutputFileName(writer.writerType, s.outputPath, mux, sink);
        if (FAILED(hr)) {
            appBox(writer.missingWriterText ? writer.missingWriterText
                                            : kSetOutputFileNameFailed);
            if (writer.missingWriterPage) reporter().OpenPage(writer.missingWriterPage);
            return hr;
        }
        ConfigureWriter(mux, sink, s, replaceOutput);
        // A size asked for, where the format keeps to one (the writer encodes twice),
        // and the largest picture.
        if (auto size = media::QueryConfigSizeTarget(mux)) {
            size->put_TargetSize(AsksForSize(s) ? std::int64_t{s.targetSizeMB} * kBytesPerMB : 0);
            size->put_LongerSideAtMost(s.longerSideAtMost);
        }
    }

    // Both routes, through the compressor when it is switched on.
    struct Route {
        bool use;
        std::shared_ptr<Filter>& compressor;
        const char* name;
        std::shared_ptr<Pin>& pin;
        bool video;
    };
    for (Route route : {Route{s.useVideoCompressor, videoCompressor, "VideoCompressor", videoPin, true},
                        Route{s.useAudioCompressor, audioCompressor, "AudioCompressor", audioPin, false}}) {
        if (!route.pin) continue;  // a clip without sound
        std::shared_ptr<Filter> through;
        if (route.use) {
            hr = route.compressor ? graph->AddFilter(route.compressor, route.name) : E_POINTER;
            if (FAILED(hr)) {
                ShowGraphErrorText(hr);
                return hr;
            }
            through = route.compressor;
            // A stream that cannot be kept is converted by the format's preferred compressor.
            if (media::IsStreamCopy(through))
                media::SetStreamCopyFallback(through, PreferredCompressor(route.video, s.format, reporter()));
        }
        hr = builder->RenderStream(nullptr, nullptr, route.pin, through, mux);
        if (FAILED(hr)) {
            // The step's own words, then what a person can do about it.
            if (route.video)
                WindowBox(std::string("failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux)\n") +
                          i18n::StringText(resources::IDS_MESSAGE_VIDEO_NOT_HELD));
            else
                appBox(std::string("failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux )\n") +
                       i18n::StringText(resources::IDS_MESSAGE_AUDIO_NOT_HELD));
            ShowGraphErrorText(hr);
            return hr;
        }
    }

    hr = AcquireMediaControl(graph);
    if (FAILED(hr)) return hr;
    // The part of the source to convert (the whole when nothing was chosen).
    if (std::shared_ptr<media::MediaSeeking> seeking;
        (s.cutStart > 0 || s.cutStop > 0) && SUCCEEDED(graph->QueryMediaSeeking(seeking))) {
        hr = seeking->SetPositions(s.cutStart, s.cutStop);
        if (FAILED(hr)) {
            ShowGraphErrorText(hr);
            return hr;
        }
    }
    hr = graph->QueryMediaEventEx(mediaEvent);
    if (FAILED(hr)) {
        mediaEvent.reset();
        appBox("Could not get pEvent");
        return hr;
    }
    hr = mediaEvent->SetNotifyWindow(EventNotifier());
    if (FAILED(hr)) {
        appBox("can not SetNotifyWindow!!!");
        return hr;
    }
    return hr;
}

HRESULT Conversion::EnsureCompressors() {
    if (!videoCompressor) RenewCompressor(true);
    if (!audioCompressor) RenewCompressor(false);
    if (!graphManager) return E_POINTER;
    return BuildConversionGraph(graphManager);
}

HRESULT Conversion::TearDownConversionGraph(const std::shared_ptr<FilterGraph>& graph,
                                            const std::string& sourcePath) {
    if (!graph) {
        graphManager.reset();
        return E_POINTER;
    }
    std::shared_ptr<Filter> source;
    HRESULT hr = graph->FindFilterByName(sourcePath, source);
    if (FAILED(hr)) {
        reporter().Say(
            Reporter::Kind::Formatted,
            StrFormat("Failed to FindFilterByName!  hr=0x%x\n", static_cast<unsigned>(hr)), {});
        // Release the graph all the same, so the reopen starts clean.
        graphManager.reset();
        return hr;
    }
    RemoveDownstream(source);
    hr = graph->RemoveFilter(source);
    source.reset();
    graphManager.reset();
    return hr;
}

void Conversion::RemoveDownstream(const std::shared_ptr<Filter>& filter) {
    std::shared_ptr<media::EnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins))) return;
    pins->Reset();
    const std::shared_ptr<FilterGraph> graph = graphManager;
    std::shared_ptr<Pin> pin;
    while (pins->Next(pin) == S_OK) {
        if (!pin) continue;
        std::shared_ptr<Pin> peer;
        pin->ConnectedTo(peer);
        if (!peer) continue;
        media::PinInfo info;
        if (peer->QueryPinInfo(info) != S_OK) break;
        if (info.dir == media::PINDIR_INPUT) {
            RemoveDownstream(info.filter);
            if (graph) {
                graph->Disconnect(peer);
                graph->Disconnect(pin);
                graph->RemoveFilter(info.filter);
            }
        }
        // A compressor that has been in a graph is never reused.
        if (info.filter && info.filter == videoCompressor) RenewCompressor(true);
        if (info.filter && info.filter == audioCompressor) RenewCompressor(false);
    }
}

}  // namespace engine
