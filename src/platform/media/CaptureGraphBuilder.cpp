// The capture graph builder: writer creation per writer type and stream routing with
// format negotiation between decoder, compressor and container.
#include "platform/media/CaptureGraphBuilder.h"

#include <cstdio>
#include <cstring>

#include "platform/media/Internal.h"
#include "platform/media/Runtime.h"
#include "platform/wmf/WmTypes.h"

namespace media {
namespace detail {
namespace {

struct WriterKind {
    Guid type;
    const char* ffmpegName;  // nullptr: not built on FFmpeg's muxers
    const char* filterName;
    const char* outputPin;
};

// The Windows Media writer is the platform's own: it writes ASF through FFmpeg's
// muxer, and is there even when the outside ASF multiplexer is not offered.
const WriterKind kWriters[] = {
    {MEDIASUBTYPE_Avi, "avi", "AVI Mux", "AVI Out"},
    {CLSID_MatroskaMux, "matroska", "Matroska Muxer", "Output"},
    {CLSID_AsfMux, "asf", "ASF Muxer", "Output"},
    {CLSID_WebmMux, "webm", "WebM Muxer", "Output"},
    {CLSID_Mp4Mux, "mp4", "MP4 Muxer", "Output"},
    {CLSID_WMAsfWriter, "asf", "WM ASF Writer", "Output"},
};

class CaptureGraphBuilderImpl final : public CaptureGraphBuilder {
public:
    HRESULT SetFiltergraph(const std::shared_ptr<FilterGraph>& graph) override {
        if (!graph) return E_POINTER;
        if (!InternalsOf(*graph)) return E_NOINTERFACE;
        if (graph_.lock()) return E_UNEXPECTED;  // one graph per builder, as the platform's
        graph_ = graph;
        return S_OK;
    }

    HRESULT SetOutputFileName(const Guid& writerType, const std::string& path,
                              std::shared_ptr<Filter>& multiplexer,
                              std::shared_ptr<Filter>& sink) override;

    HRESULT RenderStream(const Guid* category, const Guid* type, const std::shared_ptr<Pin>& source,
                         const std::shared_ptr<Filter>& compressor,
                         const std::shared_ptr<Filter>& multiplexer) override;

private:
    // Routes the decoder's stream into the multiplexer as the source has it. S_FALSE
    // (with the reason in `notes`) when it cannot be kept there.
    HRESULT KeepStream(FilterGraph& graph, const std::shared_ptr<DecoderFilter>& decoder,
                       const std::shared_ptr<StreamCopyFilter>& keep,
                       const std::shared_ptr<MuxFilter>& mux, std::vector<RunNote>& notes);

    std::weak_ptr<FilterGraph> graph_;
};

HRESULT CaptureGraphBuilderImpl::KeepStream(FilterGraph& graph,
                                            const std::shared_ptr<DecoderFilter>& decoder,
                                            const std::shared_ptr<StreamCopyFilter>& keep,
                                            const std::shared_ptr<MuxFilter>& mux,
                                            std::vector<RunNote>& notes) {
    GraphInternals* internals = InternalsOf(graph);
    if (!internals->Contains(keep)) return VFW_E_NOT_IN_GRAPH;
    if (keep->mediaType != decoder->mediaType) return VFW_E_TYPE_NOT_ACCEPTED;
    if (FirstPin(*keep, PINDIR_INPUT)->peer() || FirstPin(*keep, PINDIR_OUTPUT)->peer())
        return VFW_E_ALREADY_CONNECTED;
    auto source = decoder->source.lock();
    if (!source || !source->input) return VFW_E_CANNOT_CONNECT;
    const bool windowsMedia = std::dynamic_pointer_cast<WmAsfWriterFilter>(mux) != nullptr;
    const KeepVerdict verdict = windowsMedia ? KeepVerdict::NotHeld
                                             : CanKeep(*source->input, decoder->streamIndex,
                                                       *mux->format());
    if (verdict != KeepVerdict::Keep) {
        notes.push_back(RunNote{verdict == KeepVerdict::NoTimes ? RunNoteKind::KeepWithoutTimes
                                                                : RunNoteKind::KeepNotHeld});
        return S_FALSE;
    }
    const AVCodecParameters& par = *source->input->streams[decoder->streamIndex]->codecpar;
    Route route;
    route.decoder = decoder;
    route.keep = keep;
    route.type = decoder->mediaType;
    MediaType kept;
    kept.majortype = decoder->mediaType == AVMEDIA_TYPE_VIDEO ? MEDIATYPE_Video : MEDIATYPE_Audio;
    kept.subtype = avcodec_get_name(par.codec_id);
    kept.width = par.width;
    kept.height = par.height;
    kept.sampleRate = par.sample_rate;
    kept.channels = par.ch_layout.nb_channels;
    auto decoded = FirstPin(*decoder, PINDIR_OUTPUT);
    ConnectPins(decoded, FirstPin(*keep, PINDIR_INPUT), decoded->mediaType());
    route.muxInput = mux->FreeInputPin();
    ConnectPins(FirstPin(*keep, PINDIR_OUTPUT), route.muxInput, kept);
    mux->FreeInputPin();
    mux->routes.push_back(std::move(route));
    return S_OK;
}

HRESULT CaptureGraphBuilderImpl::SetOutputFileName(const Guid& writerType, const std::string& path,
                                                   std::shared_ptr<Filter>& multiplexer,
                                                   std::shared_ptr<Filter>& sink) {
    multiplexer.reset();
    sink.reset();
    auto graph = graph_.lock();
    if (!graph) return E_UNEXPECTED;
    if (path.empty()) return E_INVALIDARG;
    const WriterKind* kind = nullptr;
    for (const auto& w : kWriters)
        if (w.type == writerType) kind = &w;
    if (!kind) return REGDB_E_CLASSNOTREG;
    const bool windowsMedia = writerType == CLSID_WMAsfWriter;
    const AVOutputFormat* format = windowsMedia || CurrentRuntime()->OffersMuxer(kind->ffmpegName)
                                       ? av_guess_format(kind->ffmpegName, nullptr, nullptr)
                                       : nullptr;
    if (!format) return REGDB_E_CLASSNOTREG;
    if (InternalsOf(*graph)->IsRunning()) return VFW_E_NOT_STOPPED;

    // The Windows Media writer's inputs come from its profile.
    std::shared_ptr<MuxFilter> mux;
    if (windowsMedia) {
        mux = std::make_shared<WmAsfWriterFilter>(kind->filterName, format);
    } else {
        mux = std::make_shared<MuxFilter>(kind->filterName, format);
        mux->FreeInputPin();
    }
    auto muxOut = mux->AddPin(PINDIR_OUTPUT, kind->outputPin, MEDIATYPE_Stream);
    auto writer = std::make_shared<FileWriterFilter>("File Writer", path);
    auto writerIn = writer->AddPin(PINDIR_INPUT, "in", MEDIATYPE_Stream);
    MediaType stream;
    stream.majortype = MEDIATYPE_Stream;
    stream.subtype = format->name;
    if (HRESULT hr = graph->AddFilter(mux, mux->Name()); FAILED(hr)) return hr;
    if (HRESULT hr = graph->AddFilter(writer, writer->Name()); FAILED(hr)) {
        graph->RemoveFilter(mux);
        return hr;
    }
    ConnectPins(muxOut, writerIn, stream);
    multiplexer = mux;
    sink = writer;
    return S_OK;
}

HRESULT CaptureGraphBuilderImpl::RenderStream(const Guid*, const Guid*,
                                              const std::shared_ptr<Pin>& source,
                                              const std::shared_ptr<Filter>& compressorFilter,
                                              const std::shared_ptr<Filter>& multiplexer) {
    auto graph = graph_.lock();
    if (!graph) return E_UNEXPECTED;
    if (!source || !multiplexer) return E_POINTER;
    GraphInternals* internals = InternalsOf(*graph);
    if (internals->IsRunning()) return VFW_E_NOT_STOPPED;
    if (source->direction() != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (source->peer()) return VFW_E_ALREADY_CONNECTED;

    auto decoder = std::dynamic_pointer_cast<DecoderFilter>(source->owner());
    if (!decoder) return VFW_E_CANNOT_CONNECT;  // only decoded streams are routed
    auto mux = std::dynamic_pointer_cast<MuxFilter>(multiplexer);
    if (!mux) return VFW_E_CANNOT_CONNECT;
    if (!internals->Contains(decoder) || !internals->Contains(mux)) return VFW_E_NOT_IN_GRAPH;

    const AVCodecContext* decoded = decoder->context.get();
    const bool video = decoder->mediaType == AVMEDIA_TYPE_VIDEO;
    std::shared_ptr<Filter> through = compressorFilter;
    std::vector<RunNote> keepNotes;
    if (auto keep = std::dynamic_pointer_cast<StreamCopyFilter>(compressorFilter)) {
        HRESULT hr = KeepStream(*graph, decoder, keep, mux, keepNotes);
        if (hr != S_FALSE) return hr;
        // Not kept: converted by the fallback compressor, and said so.
        through = keep->fallback;
        if (through && !internals->Contains(through))
            if (hr = graph->AddFilter(through, ""); FAILED(hr)) return hr;
    }
    std::shared_ptr<CompressorFilter> compressor;
    if (through) {
        compressor = std::dynamic_pointer_cast<CompressorFilter>(through);
        if (!compressor) return VFW_E_CANNOT_CONNECT;
        if (!internals->Contains(compressor)) return VFW_E_NOT_IN_GRAPH;
        if (compressor->codec()->type != decoder->mediaType) return VFW_E_TYPE_NOT_ACCEPTED;
        if (FirstPin(*compressor, PINDIR_INPUT)->peer() ||
            FirstPin(*compressor, PINDIR_OUTPUT)->peer())
            return VFW_E_ALREADY_CONNECTED;
    }

    Route route;
    route.decoder = decoder;
    route.compressor = compressor;
    route.type = decoder->mediaType;
    route.notes = std::move(keepNotes);
    // The Windows Media writer encodes by its profile and takes uncompressed streams only.
    const WmStream* wm = nullptr;
    if (auto writer = std::dynamic_pointer_cast<WmAsfWriterFilter>(mux)) {
        if (compressor) return VFW_E_TYPE_NOT_ACCEPTED;
        if (!writer->configured()) return wmf::NS_E_NOT_CONFIGURED;
        wm = writer->StreamFor(decoder->mediaType);
        if (!wm) return VFW_E_CANNOT_CONNECT;  // the profile has no stream of this kind
        if (wm->input->peer()) return VFW_E_ALREADY_CONNECTED;
        route.encoder = wm->encoder;
        route.bitRate = wm->bitRate;
        route.refusal = wmf::NS_E_INVALID_OUTPUT_FORMAT;
        route.dropPriming = true;
    } else {
        route.encoder =
            compressor ? compressor->codec()
                       : avcodec_find_encoder(video ? AV_CODEC_ID_RAWVIDEO : AV_CODEC_ID_PCM_S16LE);
    }
    const bool raw = !compressor && !wm;
    if (!route.encoder) return VFW_E_CANNOT_CONNECT;
    // The container decides first: a stream it cannot carry is refused before any change.
    // Unofficial compliance: Matroska carries any codec through its VFW/ACM mappings.
    if (avformat_query_codec(mux->format(), route.encoder->id, FF_COMPLIANCE_UNOFFICIAL) == 0)
        return VFW_E_TYPE_NOT_ACCEPTED;

    MediaType target;
    std::string chain;
    if (video) {
        const AVRational rate =
            source->mediaType().frameRateNum > 0
                ? AVRational{source->mediaType().frameRateNum, source->mediaType().frameRateDen}
                : AVRational{0, 1};
        route.video = PlanVideo(decoder->picture, decoded->pix_fmt, rate,
                                VideoTarget{route.encoder, mux->format(), raw, wm, mux->longerSide()}, route.notes);
        for (RunNoteKind kind : decoder->picture.notes) route.notes.push_back(RunNote{kind});
        chain = VideoFilterText(route.video, PictureOf(*decoded));
        target.majortype = MEDIATYPE_Video;
        target.subtype = av_get_pix_fmt_name(route.video.format);
        target.width = route.video.width;
        target.height = route.video.height;
        target.frameRateNum = route.video.rate.num;
        target.frameRateDen = route.video.rate.den;
        if (wm) route.keyFrameInterval = wm->keyFrameInterval;
        if (route.video.width <= 0 || route.video.format == AV_PIX_FMT_NONE)
            return VFW_E_CANNOT_CONNECT;
    } else {
        const SoundFormat in = SoundOf(*decoded);
        route.sound = PlanAudio(in, route.encoder, raw, wm, route.notes);
        chain = AudioConvertText(route.sound, in);
        target.majortype = MEDIATYPE_Audio;
        target.subtype = av_get_sample_fmt_name(route.sound.format);
        target.sampleRate = route.sound.sampleRate;
        target.channels = route.sound.channels;
        if (route.sound.sampleRate <= 0) return QV_E_SAMPLE_RATE;
        if (route.sound.channels <= 0) return VFW_E_CANNOT_CONNECT;
    }
    const bool convert = !chain.empty() && chain != "null";
    route.fillFromStart = std::strcmp(mux->format()->name, "avi") == 0;

    // Build: decoder -> [converter] -> [compressor] -> multiplexer.
    std::shared_ptr<Pin> upstream = source;
    if (convert) {
        route.converter = std::make_shared<ConverterFilter>(
            video ? "Color Space Converter" : "Audio Resampler", chain);
        auto in = route.converter->AddPin(PINDIR_INPUT, "Input", target.majortype);
        auto out = route.converter->AddPin(PINDIR_OUTPUT, "Output", target.majortype);
        if (HRESULT hr = graph->AddFilter(route.converter, route.converter->Name()); FAILED(hr))
            return hr;
        ConnectPins(upstream, in, source->mediaType());
        upstream = out;
    }
    MediaType onward = target;
    if (compressor) {
        ConnectPins(upstream, FirstPin(*compressor, PINDIR_INPUT), target);
        upstream = FirstPin(*compressor, PINDIR_OUTPUT);
        onward.subtype = avcodec_get_name(route.encoder->id);
    }
    route.muxInput = wm ? wm->input : mux->FreeInputPin();
    ConnectPins(upstream, route.muxInput, onward);
    if (!wm) mux->FreeInputPin();  // keep one free input offered, as the platform's multiplexers do
    mux->routes.push_back(std::move(route));
    return S_OK;
}

}  // namespace
}  // namespace detail

std::string FilterChainOf(const std::shared_ptr<Filter>& filter) {
    auto converter = std::dynamic_pointer_cast<detail::ConverterFilter>(filter);
    return converter ? converter->chain() : std::string();
}

HRESULT CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out) {
    out.reset();
    return CurrentRuntime()->CreateCaptureGraphBuilder(out);
}

HRESULT Runtime::CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out) {
    out = std::make_shared<detail::CaptureGraphBuilderImpl>();
    return S_OK;
}

}  // namespace media
