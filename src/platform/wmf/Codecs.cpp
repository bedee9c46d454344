// The runtime's codecs: FFmpeg's Windows Media encoders, each format described as the
// encoder really writes it (block alignment and codec bytes from an opened encoder).
#include <cstdlib>
#include <mutex>

#include "platform/wmf/WmfInternal.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

namespace wmf::detail {
namespace {

struct AudioCodecKind {
    const char* name;
    WORD tag;
    AVCodecID id;
};
struct VideoCodecKind {
    const char* name;
    DWORD fourcc;
    AVCodecID id;
};

const AudioCodecKind kAudioCodecs[] = {
    {"Windows Media Audio 2", WAVE_FORMAT_WMAUDIO2, AV_CODEC_ID_WMAV2},
    {"Windows Media Audio 1", WAVE_FORMAT_WMAUDIO1, AV_CODEC_ID_WMAV1},
};
const VideoCodecKind kVideoCodecs[] = {
    {"Windows Media Video 8", FOURCC_WMV2, AV_CODEC_ID_WMV2},
    {"Windows Media Video 7", FOURCC_WMV1, AV_CODEC_ID_WMV1},
};

// Offered from the highest rate and bitrate down, as the platform lists them.
const int kSampleRates[] = {48000, 44100, 32000, 22050, 16000, 11025, 8000};
const int kBitrates[] = {320000, 256000, 192000, 160000, 128000, 96000, 80000, 64000,
                         48000,  40000,  32000,  24000,  20000,  16000, 12000, 10000,
                         8000,   6000,   5000};

void QuietLogging() {
    // The trial openings below are expected to be refused now and then.
    if (!std::getenv("QUORVEL_MEDIA_LOG")) av_log_set_level(AV_LOG_QUIET);
}

// The format as the encoder writes it, or false when it refuses the combination or
// cannot keep the bitrate (its packet size has an upper bound).
bool DescribeAudioFormat(const AVCodec* codec, WORD tag, int rate, int channels, int bitrate,
                         WM_MEDIA_TYPE& out) {
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx) return false;
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    ctx->bit_rate = bitrate;
    bool ok = avcodec_open2(ctx, codec, nullptr) >= 0 && ctx->block_align > 0 &&
              ctx->frame_size > 0 && ctx->block_align <= 0xFFFF;
    if (ok) {
        const long long real =
            static_cast<long long>(ctx->block_align) * 8 * rate / ctx->frame_size;
        ok = std::llabs(real - bitrate) * 50 <= bitrate;  // within 2%
    }
    if (ok) {
        WAVEFORMATEX w;
        w.wFormatTag = tag;
        w.nChannels = static_cast<WORD>(channels);
        w.nSamplesPerSec = static_cast<DWORD>(rate);
        w.nAvgBytesPerSec = static_cast<DWORD>(bitrate / 8);
        w.nBlockAlign = static_cast<WORD>(ctx->block_align);
        w.wBitsPerSample = 16;
        std::vector<BYTE> codecData(ctx->extradata, ctx->extradata + ctx->extradata_size);
        out = WaveFormatMediaType(w, codecData);
    }
    avcodec_free_context(&ctx);
    return ok;
}

std::vector<CodecEntry> BuildAudioCodecs() {
    std::vector<CodecEntry> codecs;
    for (const auto& kind : kAudioCodecs) {
        const AVCodec* codec = avcodec_find_encoder(kind.id);
        if (!codec) continue;
        CodecEntry c{kind.name, {}};
        for (int rate : kSampleRates)
            for (int channels : {2, 1})
                for (int bitrate : kBitrates) {
                    WM_MEDIA_TYPE type;
                    if (DescribeAudioFormat(codec, kind.tag, rate, channels, bitrate, type))
                        c.formats.push_back(std::move(type));
                }
        if (!c.formats.empty()) codecs.push_back(std::move(c));
    }
    return codecs;
}

std::vector<CodecEntry> BuildVideoCodecs() {
    std::vector<CodecEntry> codecs;
    for (const auto& kind : kVideoCodecs) {
        if (!avcodec_find_encoder(kind.id)) continue;
        // One format per codec; a profile sets its own size, rate and bitrate.
        VIDEOINFOHEADER v;
        v.rcSource = {0, 0, 320, 240};
        v.rcTarget = {0, 0, 320, 240};
        v.dwBitRate = 300000;
        v.AvgTimePerFrame = 333333;
        v.bmiHeader.biWidth = 320;
        v.bmiHeader.biHeight = 240;
        v.bmiHeader.biBitCount = 24;
        v.bmiHeader.biCompression = kind.fourcc;
        codecs.push_back({kind.name, {VideoInfoMediaType(v)}});
    }
    return codecs;
}

}  // namespace

const std::vector<CodecEntry>& BuiltInCodecs(const GUID& major) {
    static std::once_flag once;
    static std::vector<CodecEntry> audio;
    static std::vector<CodecEntry> video;
    std::call_once(once, [] {
        QuietLogging();
        audio = BuildAudioCodecs();
        video = BuildVideoCodecs();
    });
    return major == WMMEDIATYPE_Video ? video : audio;
}

}  // namespace wmf::detail
