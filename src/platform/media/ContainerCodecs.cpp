#include "platform/media/ContainerCodecs.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "platform/media/CoreShare.h"
#include "platform/media/Internal.h"

namespace media {
namespace {

// Codecs of single pictures: a muxer may take them (AVI has tags for PNG), but a
// film made of them is no sensible choice in a video converter's list.
bool StillImage(AVCodecID id) {
    static constexpr AVCodecID kStill[] = {
        AV_CODEC_ID_PNG,      AV_CODEC_ID_APNG,    AV_CODEC_ID_BMP,      AV_CODEC_ID_TIFF,
        AV_CODEC_ID_GIF,      AV_CODEC_ID_JPEG2000, AV_CODEC_ID_JPEGLS,  AV_CODEC_ID_LJPEG,
        AV_CODEC_ID_PAM,      AV_CODEC_ID_PBM,     AV_CODEC_ID_PGM,      AV_CODEC_ID_PGMYUV,
        AV_CODEC_ID_PPM,      AV_CODEC_ID_PFM,     AV_CODEC_ID_PHM,      AV_CODEC_ID_PCX,
        AV_CODEC_ID_SGI,      AV_CODEC_ID_SUNRAST, AV_CODEC_ID_TARGA,    AV_CODEC_ID_XBM,
        AV_CODEC_ID_XWD,      AV_CODEC_ID_DPX,     AV_CODEC_ID_EXR,      AV_CODEC_ID_WEBP,
        AV_CODEC_ID_ALIAS_PIX, AV_CODEC_ID_XFACE,  AV_CODEC_ID_QOI,      AV_CODEC_ID_FITS,
        AV_CODEC_ID_JPEGXL,   AV_CODEC_ID_VBN,     AV_CODEC_ID_A64_MULTI, AV_CODEC_ID_A64_MULTI5,
    };
    return std::find(std::begin(kStill), std::end(kStill), id) != std::end(kStill);
}

bool HasWindowsTag(const AVCodec* codec) {
    const AVCodecTag* const tags[] = {codec->type == AVMEDIA_TYPE_VIDEO
                                          ? avformat_get_riff_video_tags()
                                          : avformat_get_riff_audio_tags(),
                                      nullptr};
    unsigned int tag = 0;
    return av_codec_get_tag2(tags, codec->id, &tag) != 0;
}

bool Set(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool MuxerHolds(const std::string& muxer, const std::string& encoder) {
    const AVOutputFormat* format = av_guess_format(muxer.c_str(), nullptr, nullptr);
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (!format || !codec || StillImage(codec->id)) return false;
    if (avformat_query_codec(format, codec->id, FF_COMPLIANCE_NORMAL) == 1) return true;
    // Matroska holds any codec with a Windows tag in its VfW and ACM wrappings,
    // which it reports only to a caller that accepts unofficial files.
    return avformat_query_codec(format, codec->id, FF_COMPLIANCE_UNOFFICIAL) == 1 &&
           HasWindowsTag(codec);
}

EncoderOptions EncoderDefaults(const std::string& encoder, int width, int height,
                               double frameRate, const std::vector<std::string>& overridden) {
    EncoderOptions options;
    // A fixed quantizer (or Vorbis quality) unless the person asked for a bitrate.
    const bool bitrateSet = Set(overridden, "b");
    const bool qualitySet = Set(overridden, "global_quality");
    if (encoder == "mpeg4" || encoder == "libvorbis") {
        // MPEG-4 at quantizer 4 is sharp at any size, where a fixed 200 kbit/s
        // blocks; Vorbis at quality 4 is transparent for most ears.
        if (!bitrateSet && !Set(overridden, "flags")) options.emplace_back("flags", "+qscale");
        if (!bitrateSet && !qualitySet)
            options.emplace_back("global_quality", std::to_string(4 * FF_QP2LAMBDA));
    } else if (encoder == "libvpx") {
        // Constrained quality: crf 10 below a cap that grows with pixels per second.
        const double rate = frameRate > 0 && std::isfinite(frameRate) ? frameRate : 25;
        const double pixelsPerSecond = static_cast<double>(std::max(width, 16)) *
                                       static_cast<double>(std::max(height, 16)) * rate;
        const long long cap = std::clamp(static_cast<long long>(pixelsPerSecond * 0.25),
                                         200000LL, 40000000LL);
        if (!Set(overridden, "crf")) options.emplace_back("crf", "10");
        if (!Set(overridden, "b")) options.emplace_back("b", std::to_string(cap));
        if (!Set(overridden, "deadline")) options.emplace_back("deadline", "good");
        // Speed 5 costs a thousandth of SSIM against speed 4 and saves an eighth of
        // the time, which puts it ahead of HandBrake's fastest VP8 at equal SSIM.
        if (!Set(overridden, "cpu-used")) options.emplace_back("cpu-used", "5");
        // The run's cores: VP8 splits a frame's coefficients into partitions coded
        // in parallel. The partitions follow the machine, so a file is the same
        // whether it was made alone or beside other runs.
        const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 16u));
        if (!Set(overridden, "threads"))
            options.emplace_back("threads", std::to_string(CoresPerRun()));
        if (!Set(overridden, "slices")) options.emplace_back("slices", cores > 1 ? "4" : "1");
    } else if (encoder == "libx264") {
        // Constant quality 21 is close to what the eye can tell from the source; the
        // veryfast preset keeps 720p well above twice real time on two cores, and
        // with 4:2:0 pictures it writes the High profile every player takes.
        if (!bitrateSet && !Set(overridden, "crf")) options.emplace_back("crf", "21");
        if (!Set(overridden, "preset")) options.emplace_back("preset", "veryfast");
    } else if (encoder == "libaom-av1") {
        // libaom's own speed takes minutes for each second of video; speed 6 with
        // threaded rows is what a converter can wait for, at constant quality 30.
        if (!bitrateSet && !Set(overridden, "crf")) options.emplace_back("crf", "30");
        if (!Set(overridden, "cpu-used")) options.emplace_back("cpu-used", "6");
        if (!Set(overridden, "row-mt")) options.emplace_back("row-mt", "1");
    } else if (encoder == "aac") {
        // LC (FFmpeg's default profile) at 160 kbit/s: transparent stereo.
        if (!bitrateSet) options.emplace_back("b", "160000");
    } else if (qualitySet && !bitrateSet && !Set(overridden, "flags")) {
        // A quantizer chosen for another MPEG-family encoder takes effect only so.
        options.emplace_back("flags", "+qscale");
    }
    return options;
}

EncoderOptions MuxerDefaults(const std::string& muxer) {
    if (muxer == "mp4") return {{"movflags", "+faststart"}};
    return {};
}

}  // namespace media
