// RenderFile's half that reads: the source file opened under its read guard, its best
// streams picked and their decoders opened, as the filters the graph adds.
#include <algorithm>

#include "platform/media/CoreShare.h"
#include "platform/media/Internal.h"
#include "platform/media/StreamTime.h"

extern "C" {
#include <libavutil/time.h>
}

namespace media::detail {
namespace {

// Opening and probing a local file takes milliseconds; a read stuck for this long
// (a hung network mount) is given up rather than freezing the window.
constexpr std::int64_t kOpenTimeLimitUs = 30'000'000;

int PickStream(AVFormatContext* ic, AVMediaType type, int related) {
    int best = av_find_best_stream(ic, type, -1, related, nullptr, 0);
    auto usable = [&](int index) {
        if (index < 0) return false;
        const AVStream* st = ic->streams[index];
        const AVCodecParameters* par = st->codecpar;
        if (type == AVMEDIA_TYPE_VIDEO)
            return !(st->disposition & AV_DISPOSITION_ATTACHED_PIC) && par->width > 0 &&
                   par->height > 0;
        return par->sample_rate > 0 && par->ch_layout.nb_channels > 0;
    };
    if (usable(best)) return best;
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (ic->streams[i]->codecpar->codec_type == type && usable(static_cast<int>(i)))
            return static_cast<int>(i);
    return -1;
}

}  // namespace

CodecContextPtr OpenDecoder(const AVStream& stream) {
    const AVStream* st = &stream;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) return nullptr;
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return nullptr;
    ctx->pkt_timebase = st->time_base;
    ctx->thread_count = CodecThreads();  // the run's cores: decoding runs beside encoding
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
    return ctx;
}

namespace {

MediaType CompressedType(const AVStream* st, AVRational frameRate) {
    MediaType t;
    const AVCodecParameters* par = st->codecpar;
    t.majortype = par->codec_type == AVMEDIA_TYPE_VIDEO ? MEDIATYPE_Video : MEDIATYPE_Audio;
    t.subtype = avcodec_get_name(par->codec_id);
    t.width = par->width;
    t.height = par->height;
    t.frameRateNum = frameRate.num;
    t.frameRateDen = frameRate.den;
    t.sampleRate = par->sample_rate;
    t.channels = par->ch_layout.nb_channels;
    return t;
}

// The decoded stream as the renderer shows it: a picture upright, at its
// display shape (the size the program reports).
MediaType DecodedType(const AVCodecContext* ctx, const SourcePicture& picture,
                      AVRational frameRate) {
    MediaType t;
    if (ctx->codec_type == AVMEDIA_TYPE_VIDEO) {
        t.majortype = MEDIATYPE_Video;
        const char* name = av_get_pix_fmt_name(ctx->pix_fmt);
        t.subtype = name ? name : "video";
        t.width = picture.displayWidth();
        t.height = picture.displayHeight();
        t.frameRateNum = frameRate.num;
        t.frameRateDen = frameRate.den;
    } else {
        t.majortype = MEDIATYPE_Audio;
        const char* name = av_get_sample_fmt_name(ctx->sample_fmt);
        t.subtype = name ? name : "audio";
        t.sampleRate = ctx->sample_rate;
        t.channels = ctx->ch_layout.nb_channels;
    }
    return t;
}

}  // namespace

HRESULT OpenSourceFilters(const std::string& path, std::vector<std::shared_ptr<Filter>>& filters) {
    filters.clear();
    EnsureFfmpegReady();

    if (const HRESULT hr = CheckSourceFile(path); FAILED(hr)) return hr;
    auto guard = std::make_unique<ReadGuard>();
    guard->deadline = av_gettime_relative() + kOpenTimeLimitUs;
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return E_OUTOFMEMORY;
    raw->interrupt_callback = {&ReadGuard::Interrupted, guard.get()};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);  // never the network
    int err = avformat_open_input(&raw, FileUrl(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (err < 0)
        return FromAvError(
            err, err == AVERROR_INVALIDDATA ? VFW_E_UNKNOWN_FILE_TYPE : VFW_E_CANNOT_RENDER);
    InputPtr input(raw);
    if ((err = avformat_find_stream_info(raw, nullptr)) < 0)
        return FromAvError(err, VFW_E_INVALID_FILE_FORMAT);
    guard->deadline = 0;  // from here on only a stopping run interrupts

    const int videoIndex = PickStream(raw, AVMEDIA_TYPE_VIDEO, -1);
    const int audioIndex = PickStream(raw, AVMEDIA_TYPE_AUDIO, videoIndex);
    if (videoIndex < 0 && audioIndex < 0) return VFW_E_CANNOT_RENDER;
    CodecContextPtr videoDecoder = videoIndex >= 0 ? OpenDecoder(*raw->streams[videoIndex]) : nullptr;
    CodecContextPtr audioDecoder = audioIndex >= 0 ? OpenDecoder(*raw->streams[audioIndex]) : nullptr;
    if (!videoDecoder && !audioDecoder) return VFW_E_NO_DECOMPRESSOR;
    const bool partial = (videoIndex >= 0 && !videoDecoder) || (audioIndex >= 0 && !audioDecoder);

    auto source = std::make_shared<SourceFilter>(path);
    source->videoStream = videoDecoder ? videoIndex : -1;
    source->audioStream = audioDecoder ? audioIndex : -1;

    std::vector<std::shared_ptr<Filter>> renderers;
    auto addStream = [&](int index, CodecContextPtr context, const Guid& major, const char* pinName,
                         const char* rendererName, const char* rendererPin) {
        AVStream* st = raw->streams[index];
        const AVRational rate = st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                                    ? av_guess_frame_rate(raw, st, nullptr)
                                    : AVRational{0, 1};
        auto out = source->AddPin(PINDIR_OUTPUT, pinName, major);
        const std::string decoderName = std::string(major == MEDIATYPE_Video ? "Video" : "Audio") +
                                        " Decoder (" + context->codec->name + ")";
        auto decoder =
            std::make_shared<DecoderFilter>(decoderName, index, st->codecpar->codec_type);
        if (major == MEDIATYPE_Video) decoder->picture = ReadPicture(path, *raw, *st, *context);
        const MediaType decoded = DecodedType(context.get(), decoder->picture, rate);
        decoder->context = std::move(context);
        decoder->source = source;
        auto in = decoder->AddPin(PINDIR_INPUT, "In", major);
        auto decodedPin = decoder->AddPin(PINDIR_OUTPUT, "Out", major);
        ConnectPins(out, in, CompressedType(st, rate));
        filters.push_back(decoder);

        auto renderer = std::make_shared<RendererFilter>(rendererName);
        ConnectPins(decodedPin, renderer->AddPin(PINDIR_INPUT, rendererPin, major), decoded);
        renderers.push_back(renderer);
    };
    if (videoDecoder)
        addStream(videoIndex, std::move(videoDecoder), MEDIATYPE_Video, "Video", "Video Renderer",
                  "VMR Input0");
    if (audioDecoder)
        addStream(audioIndex, std::move(audioDecoder), MEDIATYPE_Audio, "Audio",
                  "Default DirectSound Device", "Audio Input pin (rendered)");
    source->guard = std::move(guard);
    source->input = std::move(input);
    filters.insert(filters.begin(), source);
    filters.insert(filters.end(), renderers.begin(), renderers.end());
    return partial ? VFW_S_PARTIAL_RENDER : S_OK;
}

std::int64_t StatedDuration(const AVFormatContext& source, const std::vector<int>& streams,
                            bool streamsFirst) {
    // A length the header leaves unknown (all ones) or that the file's size
    // cannot fill (a few bytes a second) is no length at all.
    const std::int64_t bytes = source.pb ? avio_size(source.pb) : -1;
    auto believable = [&](std::int64_t units, std::int64_t allOnes) {
        if (units <= 0 || units == allOnes) return false;
        const double seconds = static_cast<double>(units) / kHundredNsPerSecond;
        return bytes <= 0 || seconds < 3600 || bytes / seconds >= 100;
    };
    std::int64_t longest = 0;
    for (int index : streams) {
        if (index < 0) continue;
        const AVStream* st = source.streams[index];
        if (st->duration == AV_NOPTS_VALUE) continue;
        const std::int64_t units = av_rescale_q(st->duration, st->time_base, kHundredNs);
        if (believable(units, av_rescale_q(0xFFFFFFFF, st->time_base, kHundredNs)))
            longest = std::max(longest, units);
    }
    if (streamsFirst && longest > 0) return longest;
    if (source.duration != AV_NOPTS_VALUE && source.duration > 0) {
        const std::int64_t units = av_rescale(source.duration, kHundredNsPerSecond, AV_TIME_BASE);
        if (believable(units, -1)) return units;
    }
    return longest;
}

HRESULT SourceDuration(const SourceFilter& source, std::int64_t& stop) {
    if (!source.input) return E_NOTIMPL;
    stop = StatedDuration(*source.input, {source.videoStream, source.audioStream}, false);
    return S_OK;
}

}  // namespace media::detail
