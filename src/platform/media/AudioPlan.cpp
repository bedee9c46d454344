#include "platform/media/AudioPlan.h"

#include <algorithm>

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

// Rates every encoder and player handles; outside them a source rate is not
// worth keeping, and below the least one it is damage (1 Hz "sound" holds a
// handful of samples, which no resampler can stretch into seconds).
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 192000;
constexpr int kLeastRate = 100;

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
    const int sane = std::clamp(source, kLowestRate, kHighestRate);
    const int* list = encoder ? encoder->supported_samplerates : nullptr;
    if (!list || !*list) return sane;
    int best = list[0];
    for (const int* r = list; *r; ++r) {
        if (*r == sane) return sane;
        // The closest rate, preferring one above the source's.
        const bool better = (*r >= sane && (best < sane || *r < best)) || (best<sane&& * r> best);
        if (better) best = *r;
    }
    return best;
}

void ChooseChannels(const AVCodec* encoder, const AVChannelLayout& source, SoundFormat& out) {
    const AVChannelLayout* list = encoder ? encoder->ch_layouts : nullptr;
    out.channels = source.nb_channels;
    out.channelMask = source.order == AV_CHANNEL_ORDER_NATIVE ? source.u.mask : 0;
    if (!list || !list[0].nb_channels) return;
    for (const AVChannelLayout* l = list; l->nb_channels; ++l)
        if (!av_channel_layout_compare(l, &source)) return;
    // The same count in another arrangement (5.1 with side or back speakers) first.
    const AVChannelLayout* chosen = nullptr;
    for (const AVChannelLayout* l = list; l->nb_channels && !chosen; ++l)
        if (l->nb_channels == source.nb_channels) chosen = l;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    for (const AVChannelLayout* l = list; l->nb_channels && !chosen; ++l)
        if (!av_channel_layout_compare(l, &stereo)) chosen = l;
    if (!chosen) chosen = &list[0];
    out.channels = chosen->nb_channels;
    out.channelMask = chosen->order == AV_CHANNEL_ORDER_NATIVE ? chosen->u.mask : 0;
}

std::string LayoutName(const SoundFormat& sound) {
    AVChannelLayout layout = LayoutOf(sound);
    char name[128] = "";
    av_channel_layout_describe(&layout, name, sizeof name);
    av_channel_layout_uninit(&layout);
    return name;
}

}  // namespace

// Sound that names no layout has FFmpeg's default for its channel count.
static std::uint64_t MaskOf(const AVChannelLayout& layout) {
    if (layout.order == AV_CHANNEL_ORDER_NATIVE) return layout.u.mask;
    AVChannelLayout standard{};
    av_channel_layout_default(&standard, layout.nb_channels);
    return standard.order == AV_CHANNEL_ORDER_NATIVE ? standard.u.mask : 0;
}

SoundFormat SoundOf(const AVCodecContext& context) {
    return SoundFormat{context.sample_rate, context.sample_fmt, context.ch_layout.nb_channels,
                       MaskOf(context.ch_layout)};
}

SoundFormat SoundOf(const AVFrame& frame) {
    return SoundFormat{frame.sample_rate, static_cast<AVSampleFormat>(frame.format),
                       frame.ch_layout.nb_channels, MaskOf(frame.ch_layout)};
}

AVChannelLayout LayoutOf(const SoundFormat& sound) {
    AVChannelLayout layout{};
    if (sound.channelMask == 0 || av_channel_layout_from_mask(&layout, sound.channelMask) < 0 ||
        layout.nb_channels != sound.channels)
        av_channel_layout_default(&layout, sound.channels);
    return layout;
}

SoundFormat PlanAudio(const SoundFormat& decoded, const AVCodec* encoder, bool raw,
                      const WmStream* wm, std::vector<RunNote>& notes) {
    SoundFormat out;
    out.format = ChooseSampleFormat(encoder, decoded.format, raw);
    if (wm) {
        out.sampleRate = wm->sampleRate;
        out.channels = wm->channels;
        return out;
    }
    if (decoded.sampleRate < kLeastRate) return out;  // no rate: the route is refused
    out.sampleRate = ChooseSampleRate(raw ? nullptr : encoder, decoded.sampleRate);
    if (decoded.sampleRate != std::clamp(decoded.sampleRate, kLowestRate, kHighestRate))
        notes.push_back(RunNote{RunNoteKind::SampleRateChanged, out.sampleRate});
    AVChannelLayout layout = LayoutOf(decoded);
    ChooseChannels(raw ? nullptr : encoder, layout, out);
    av_channel_layout_uninit(&layout);
    return out;
}

int ChunkSize(int encoderFrameSize, bool variableFrameSize) {
    return encoderFrameSize > 0 && !variableFrameSize ? encoderFrameSize : 1024;
}

std::string AudioConvertText(const SoundFormat& out, const SoundFormat& in) {
    if (in == out) return "";
    return "aresample=" + std::to_string(out.sampleRate) +
           ",aformat=sample_fmts=" + av_get_sample_fmt_name(out.format) +
           ":sample_rates=" + std::to_string(out.sampleRate) +
           ":channel_layouts=" + LayoutName(out);
}

std::string AudioFramesText(int frameSize) {
    return "asetnsamples=n=" + std::to_string(frameSize) + ":p=0";
}

}  // namespace media::detail
