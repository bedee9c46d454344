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

bool Contains(const AVPixelFormat* list, AVPixelFormat f) {
    for (; list && *list != AV_PIX_FMT_NONE; ++list)
        if (*list == f) return true;
    return false;
}

AVPixelFormat ChoosePixelFormat(const AVCodec* encoder, AVPixelFormat source, bool raw) {
    if (raw)
        return AV_PIX_FMT_YUV420P;  // the uncompressed format every target container reads back
    if (!encoder->pix_fmts) return source != AV_PIX_FMT_NONE ? source : AV_PIX_FMT_YUV420P;
    if (Contains(encoder->pix_fmts, source)) return source;
    if (source == AV_PIX_FMT_NONE) return encoder->pix_fmts[0];
    return avcodec_find_best_pix_fmt_of_list(encoder->pix_fmts, source, 0, nullptr);
}

AVSampleFormat ChooseSampleFormat(const AVCodec* encoder, AVSampleFormat source, bool raw) {
    if (raw) return AV_SAMPLE_FMT_S16;
    const AVSampleFormat* list = encoder->sample_fmts;
    if (!list) return source;
    for (const AVSampleFormat* f = list; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == source) return source;
    // Same sample type, other layout (planar/packed) first; else the encoder's first.
    for (const AVSampleFormat* f = list; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == av_get_packed_sample_fmt(source) || *f == av_get_planar_sample_fmt(source))
            return *f;
    return list[0];
}

int ChooseSampleRate(const AVCodec* encoder, int source) {
    const int* list = encoder->supported_samplerates;
    if (!list || !*list) return source;
    int best = list[0];
    for (const int* r = list; *r; ++r) {
        if (*r == source) return source;
        // The closest rate, preferring one above the source's.
        const bool better =
            (*r >= source && (best < source || *r < best)) || (best<source&& * r> best);
        if (better) best = *r;
    }
    return best;
}

void ChooseChannels(const AVCodec* encoder, const AVChannelLayout& source, Route& route) {
    const AVChannelLayout* list = encoder->ch_layouts;
    const std::uint64_t sourceMask = source.order == AV_CHANNEL_ORDER_NATIVE ? source.u.mask : 0;
    route.channels = source.nb_channels;
    route.channelMask = sourceMask;
    if (!list || !list[0].nb_channels) return;
    for (const AVChannelLayout* l = list; l->nb_channels; ++l)
        if (!av_channel_layout_compare(l, &source)) return;
    const AVChannelLayout* chosen = nullptr;
    for (const AVChannelLayout* l = list; l->nb_channels && !chosen; ++l)
        if (l->nb_channels == source.nb_channels) chosen = l;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    for (const AVChannelLayout* l = list; l->nb_channels && !chosen; ++l)
        if (!av_channel_layout_compare(l, &stereo)) chosen = l;
    if (!chosen) chosen = &list[0];
    route.channels = chosen->nb_channels;
    route.channelMask = chosen->order == AV_CHANNEL_ORDER_NATIVE ? chosen->u.mask : 0;
}

// MP4 is the file handed to phones, televisions and browsers: 8-bit 4:2:0 pictures
// of even sides and stereo sound are what every one of them plays.
bool ForEveryPlayer(const AVOutputFormat* format) { return std::strcmp(format->name, "mp4") == 0; }

// Encoders of these codecs refuse a 4:2:0 picture with an odd side.
bool NeedsEvenSides(const AVCodec* encoder, const AVOutputFormat* format) {
    return ForEveryPlayer(format) || encoder->id == AV_CODEC_ID_H264 ||
           encoder->id == AV_CODEC_ID_HEVC || encoder->id == AV_CODEC_ID_AV1;
}

void KeepEvenSides(Route& route) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(route.pixelFormat);
    if (!d) return;
    // One line or column fewer, scaled: the picture stays whole.
    if (d->log2_chroma_w && route.width > 2) route.width &= ~1;
    if (d->log2_chroma_h && route.height > 2) route.height &= ~1;
}

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
    std::weak_ptr<FilterGraph> graph_;
};

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
    std::shared_ptr<CompressorFilter> compressor;
    if (compressorFilter) {
        compressor = std::dynamic_pointer_cast<CompressorFilter>(compressorFilter);
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

    bool convert = false;
    MediaType target;
    if (video) {
        route.width = wm ? wm->width : decoded->width;
        route.height = wm ? wm->height : decoded->height;
        route.pixelFormat = ChoosePixelFormat(route.encoder, decoded->pix_fmt, raw);
        if (compressor && ForEveryPlayer(mux->format()) &&
            (!route.encoder->pix_fmts || Contains(route.encoder->pix_fmts, AV_PIX_FMT_YUV420P)))
            route.pixelFormat = AV_PIX_FMT_YUV420P;
        if (compressor && NeedsEvenSides(route.encoder, mux->format())) KeepEvenSides(route);
        convert = route.pixelFormat != decoded->pix_fmt || route.width != decoded->width ||
                  route.height != decoded->height;
        target.majortype = MEDIATYPE_Video;
        target.subtype = av_get_pix_fmt_name(route.pixelFormat);
        target.width = route.width;
        target.height = route.height;
        target.frameRateNum = source->mediaType().frameRateNum;
        target.frameRateDen = source->mediaType().frameRateDen;
        if (wm) {
            route.frameRate = wm->frameRate;
            route.keyFrameInterval = wm->keyFrameInterval;
            target.frameRateNum = wm->frameRate.num;
            target.frameRateDen = wm->frameRate.den;
        }
    } else {
        route.sampleFormat = ChooseSampleFormat(route.encoder, decoded->sample_fmt, raw);
        if (wm) {
            route.sampleRate = wm->sampleRate;
            route.channels = wm->channels;
        } else {
            route.sampleRate = ChooseSampleRate(route.encoder, decoded->sample_rate);
            ChooseChannels(route.encoder, decoded->ch_layout, route);
            if (compressor && ForEveryPlayer(mux->format()) && route.channels != 2) {
                const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
                ChooseChannels(route.encoder, stereo, route);
            }
        }
        convert = route.sampleFormat != decoded->sample_fmt ||
                  route.sampleRate != decoded->sample_rate ||
                  route.channels != decoded->ch_layout.nb_channels;
        target.majortype = MEDIATYPE_Audio;
        target.subtype = av_get_sample_fmt_name(route.sampleFormat);
        target.sampleRate = route.sampleRate;
        target.channels = route.channels;
    }
    if (video && (route.width <= 0 || route.pixelFormat == AV_PIX_FMT_NONE))
        return VFW_E_CANNOT_CONNECT;
    if (!video && (route.sampleRate <= 0 || route.channels <= 0)) return VFW_E_CANNOT_CONNECT;

    // Build: decoder -> [converter] -> [compressor] -> multiplexer.
    std::shared_ptr<Pin> upstream = source;
    if (convert) {
        route.converter =
            std::make_shared<ConverterFilter>(video ? "Color Space Converter" : "Audio Resampler");
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

HRESULT CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out) {
    out.reset();
    return CurrentRuntime()->CreateCaptureGraphBuilder(out);
}

HRESULT Runtime::CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out) {
    out = std::make_shared<detail::CaptureGraphBuilderImpl>();
    return S_OK;
}

}  // namespace media
