#include "platform/media/VideoPlan.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

bool Contains(const AVPixelFormat* list, AVPixelFormat f) {
    for (; list && *list != AV_PIX_FMT_NONE; ++list)
        if (*list == f) return true;
    return false;
}

int Depth(AVPixelFormat format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    return d ? d->comp[0].depth : 8;
}

bool IsRgb(AVPixelFormat format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    return d && (d->flags & AV_PIX_FMT_FLAG_RGB);
}

// Formats whose name says full range ("yuvj420p"): the JPEG family.
bool IsFullRangeFormat(AVPixelFormat format) {
    const char* name = av_get_pix_fmt_name(format);
    return name && std::strncmp(name, "yuvj", 4) == 0;
}

// High definition, as players tell it (a portrait picture too).
bool IsHd(int width, int height) {
    return std::max(width, height) >= 1280 || std::min(width, height) > 576;
}

// The containers that state a picture's colours and shape; players of the others
// guess both from the frame size.
bool StatesColours(const AVOutputFormat* muxer) {
    for (const char* name : {"matroska", "webm", "mp4", "mov"})
        if (std::strcmp(muxer->name, name) == 0) return true;
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

// An 8-bit format of the encoder's, 4:2:0 where it takes it.
AVPixelFormat EightBit(const AVCodec* encoder, AVPixelFormat chosen) {
    if (Depth(chosen) <= 8) return chosen;
    if (!encoder->pix_fmts || Contains(encoder->pix_fmts, AV_PIX_FMT_YUV420P))
        return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (Depth(*f) <= 8) return *f;
    return chosen;
}

// MP4 is the file handed to phones, televisions and browsers: 8-bit 4:2:0
// pictures of even sides are what every one of them plays.
bool ForEveryPlayer(const AVOutputFormat* muxer) { return std::strcmp(muxer->name, "mp4") == 0; }

// Encoders of these codecs refuse a 4:2:0 picture with an odd side.
bool NeedsEvenSides(const AVCodec* encoder, const AVOutputFormat* muxer) {
    return ForEveryPlayer(muxer) || encoder->id == AV_CODEC_ID_H264 ||
           encoder->id == AV_CODEC_ID_HEVC || encoder->id == AV_CODEC_ID_AV1;
}

void KeepEvenSides(VideoPlan& plan) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(plan.format);
    if (!d) return;
    // One line or column fewer, scaled: the picture stays whole.
    if (d->log2_chroma_w && plan.width > 2) plan.width &= ~1;
    if (d->log2_chroma_h && plan.height > 2) plan.height &= ~1;
}

// Codecs that write 10-bit HDR pictures players know.
bool KeepsHdr(const VideoTarget& target) {
    const AVCodecID id = target.encoder->id;
    return !target.raw && !target.wm && StatesColours(target.muxer) &&
           (id == AV_CODEC_ID_HEVC || id == AV_CODEC_ID_AV1 || id == AV_CODEC_ID_VP9) &&
           Contains(target.encoder->pix_fmts, AV_PIX_FMT_YUV420P10);
}

bool Complete(const AVMasteringDisplayMetadata& m) { return m.has_primaries && m.has_luminance; }

// The matrices' coefficients: BT.601's two names are one matrix.
AVColorSpace Coefficients(AVColorSpace matrix) {
    if (matrix == AVCOL_SPC_BT470BG) return AVCOL_SPC_SMPTE170M;
    if (matrix == AVCOL_SPC_BT2020_CL) return AVCOL_SPC_BT2020_NCL;
    return matrix;
}

// The scale filter's name of a matrix; null for one it does not know.
const char* ScaleMatrix(AVColorSpace matrix) {
    switch (Coefficients(matrix)) {
        case AVCOL_SPC_BT709:
            return "bt709";
        case AVCOL_SPC_SMPTE170M:
            return "bt601";
        case AVCOL_SPC_FCC:
            return "fcc";
        case AVCOL_SPC_SMPTE240M:
            return "smpte240m";
        case AVCOL_SPC_BT2020_NCL:
            return "bt2020";
        default:
            return nullptr;
    }
}

const char* RangeName(AVColorRange range) { return range == AVCOL_RANGE_JPEG ? "pc" : "tv"; }

// zscale's names.
const char* ZMatrix(AVColorSpace matrix) {
    switch (matrix) {
        case AVCOL_SPC_BT2020_CL:
            return "2020_cl";
        case AVCOL_SPC_BT709:
            return "709";
        case AVCOL_SPC_BT470BG:
            return "470bg";
        case AVCOL_SPC_SMPTE170M:
            return "170m";
        default:
            return "2020_ncl";
    }
}

const char* ZTransfer(AVColorTransferCharacteristic transfer) {
    return transfer == AVCOL_TRC_ARIB_STD_B67 ? "arib-std-b67" : "smpte2084";
}

std::string Rational(AVRational q) { return std::to_string(q.num) + "/" + std::to_string(q.den); }

AVRational Upright(AVRational sar, const Turn& turn) {
    if (sar.num <= 0 || sar.den <= 0) return AVRational{1, 1};
    return turn.transpose ? av_inv_q(sar) : sar;
}

const char* TransposeDirection(const Turn& turn) {
    if (turn.hflip && turn.vflip) return "clock_flip";
    if (turn.hflip) return "clock";
    if (turn.vflip) return "cclock";
    return "cclock_flip";  // the axes swapped alone
}

}  // namespace

bool Differ(const PictureIn& a, const PictureIn& b) {
    return a.width != b.width || a.height != b.height || a.format != b.format ||
           !(a.colour == b.colour) || a.interlaced != b.interlaced;
}

PictureIn PictureOf(const AVCodecContext& decoder) {
    const AVFieldOrder order = decoder.field_order;
    return PictureIn{decoder.width,
                     decoder.height,
                     decoder.pix_fmt,
                     decoder.sample_aspect_ratio,
                     ColourTags{decoder.color_primaries, decoder.color_trc, decoder.colorspace,
                                decoder.color_range},
                     order != AV_FIELD_UNKNOWN && order != AV_FIELD_PROGRESSIVE};
}

PictureIn PictureOf(const AVFrame& frame) {
    return PictureIn{
        frame.width,
        frame.height,
        static_cast<AVPixelFormat>(frame.format),
        frame.sample_aspect_ratio,
        ColourTags{frame.color_primaries, frame.color_trc, frame.colorspace, frame.color_range},
        frame.interlaced_frame != 0};
}

ColourTags EffectiveColour(ColourTags stated, int width, int height, AVPixelFormat format) {
    const bool hd = IsHd(width, height);
    // Standard definition of 576 lines is PAL's; the rest is NTSC's.
    const bool pal = std::min(width, height) % 288 == 0;
    if (stated.matrix == AVCOL_SPC_UNSPECIFIED || stated.matrix == AVCOL_SPC_RESERVED)
        stated.matrix = IsRgb(format) ? AVCOL_SPC_RGB
                        : hd          ? AVCOL_SPC_BT709
                        : pal         ? AVCOL_SPC_BT470BG
                                      : AVCOL_SPC_SMPTE170M;
    if (stated.primaries == AVCOL_PRI_UNSPECIFIED || stated.primaries == AVCOL_PRI_RESERVED ||
        stated.primaries == AVCOL_PRI_RESERVED0)
        stated.primaries = hd ? AVCOL_PRI_BT709 : pal ? AVCOL_PRI_BT470BG : AVCOL_PRI_SMPTE170M;
    if (stated.transfer == AVCOL_TRC_UNSPECIFIED || stated.transfer == AVCOL_TRC_RESERVED ||
        stated.transfer == AVCOL_TRC_RESERVED0)
        stated.transfer = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    if (stated.range == AVCOL_RANGE_UNSPECIFIED)
        stated.range =
            IsRgb(format) || IsFullRangeFormat(format) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    return stated;
}

AVRational FitRate(AVRational rate, const AVCodec* encoder) {
    if (rate.num <= 0 || rate.den <= 0) return AVRational{0, 1};
    if (encoder && encoder->supported_framerates)
        return encoder
            ->supported_framerates[av_find_nearest_q_idx(rate, encoder->supported_framerates)];
    static constexpr AVRational kCommon[] = {{24000, 1001}, {24, 1},  {25, 1}, {30000, 1001},
                                             {30, 1},       {48, 1},  {50, 1}, {60000, 1001},
                                             {60, 1},       {100, 1}, {120, 1}};
    const AVRational* nearest = nullptr;
    double off = 0.001;
    for (const AVRational& common : kCommon) {
        const double d = std::fabs(av_q2d(rate) / av_q2d(common) - 1);
        if (d < off) off = d, nearest = &common;
    }
    if (nearest) return *nearest;
    AVRational fitted{0, 1};
    av_reduce(&fitted.num, &fitted.den, rate.num, rate.den, 65535);
    return fitted;
}

VideoPlan PlanVideo(const SourcePicture& source, AVPixelFormat decoded, AVRational sourceRate,
                    const VideoTarget& target, std::vector<RunNote>& notes) {
    VideoPlan plan;
    plan.turn = source.turn;
    plan.deinterlace = source.interlaced;
    const bool hdr = IsHdr(source.colour.transfer);
    const bool keepHdr = hdr && KeepsHdr(target);
    plan.toneMap = hdr && !keepHdr;
    const bool compressed = !target.raw && !target.wm;

    plan.format = ChoosePixelFormat(target.encoder, decoded, target.raw);
    if (compressed && ForEveryPlayer(target.muxer) &&
        (!target.encoder->pix_fmts || Contains(target.encoder->pix_fmts, AV_PIX_FMT_YUV420P)))
        plan.format = AV_PIX_FMT_YUV420P;
    if (keepHdr) plan.format = AV_PIX_FMT_YUV420P10;
    if (plan.toneMap) plan.format = EightBit(target.encoder, plan.format);

    // Containers that state the pixels' shape keep it; players of the others
    // take every pixel as square, so those get the picture at its display size.
    if (target.wm) {
        plan.width = target.wm->width;
        plan.height = target.wm->height;
    } else if (StatesColours(target.muxer)) {
        plan.width = source.uprightWidth();
        plan.height = source.uprightHeight();
        plan.sampleAspect = source.uprightAspect();
    } else {
        plan.width = source.displayWidth();
        plan.height = source.displayHeight();
    }
    if (compressed && NeedsEvenSides(target.encoder, target.muxer)) KeepEvenSides(plan);

    const ColourTags in = EffectiveColour(source.colour, source.width, source.height, decoded);
    plan.colour = in;
    if (plan.toneMap) {
        plan.colour =
            ColourTags{AVCOL_PRI_BT709, AVCOL_TRC_BT709, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG};
    } else if (keepHdr) {
        plan.mastering = source.mastering;
        plan.light = source.light;
        if (plan.mastering && !Complete(*plan.mastering)) plan.mastering.reset();
        if (source.colour.transfer == AVCOL_TRC_SMPTE2084 && !plan.mastering)
            notes.push_back(RunNote{RunNoteKind::HdrMetadataMissing});
    }
    // Without a stated matrix a player takes BT.709 for HD and BT.601 for SD.
    if (!StatesColours(target.muxer) && !IsRgb(plan.format)) {
        const AVColorSpace guessed =
            IsHd(plan.width, plan.height) ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
        if (Coefficients(plan.colour.matrix) != Coefficients(guessed)) plan.colour.matrix = guessed;
    }
    if (IsRgb(plan.format)) {
        plan.colour.matrix = AVCOL_SPC_RGB;
        plan.colour.range = AVCOL_RANGE_JPEG;
    } else {
        plan.colour.range = IsFullRangeFormat(plan.format) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }

    if (target.wm) {
        plan.rate = target.wm->frameRate;
        plan.convertRate = true;
    } else {
        plan.rate = FitRate(sourceRate, target.raw ? nullptr : target.encoder);
    }
    return plan;
}

std::string VideoFilterText(const VideoPlan& plan, const PictureIn& in, bool optional) {
    std::vector<std::string> steps;
    const ColourTags want = EffectiveColour(plan.colour, plan.width, plan.height, plan.format);
    if (optional && (plan.deinterlace || in.interlaced))
        steps.push_back(std::string("bwdif=mode=send_frame:parity=auto:deint=") +
                        (plan.deinterlace ? "all" : "interlaced"));
    const Turn& turn = plan.turn;
    if (turn.transpose) {
        steps.push_back(std::string("transpose=dir=") + TransposeDirection(turn));
    } else {
        if (turn.hflip) steps.emplace_back("hflip");
        if (turn.vflip) steps.emplace_back("vflip");
    }
    int width = turn.transpose ? in.height : in.width;
    int height = turn.transpose ? in.width : in.height;
    AVPixelFormat format = in.format;
    ColourTags colour = EffectiveColour(in.colour, in.width, in.height, in.format);
    if (optional && plan.toneMap && IsHdr(colour.transfer)) {
        // To linear light, the highlights brought into range, back to BT.709.
        char line[512];
        std::snprintf(line, sizeof line,
                      "zscale=tin=%s:min=%s:pin=bt2020:rin=%s:t=linear:npl=100,format=gbrpf32le,"
                      "zscale=p=bt709,tonemap=tonemap=hable:desat=0,zscale=t=bt709:m=%s:r=tv,"
                      "format=%s",
                      ZTransfer(colour.transfer), ZMatrix(colour.matrix), RangeName(colour.range),
                      ZMatrix(want.matrix), av_get_pix_fmt_name(plan.format));
        steps.emplace_back(line);
        format = plan.format;
        colour = want;
    }
    const char* inMatrix = ScaleMatrix(colour.matrix);
    const char* outMatrix = ScaleMatrix(want.matrix);
    const bool rgb = IsRgb(format) || IsRgb(plan.format);
    const bool matrixChange =
        !rgb && inMatrix && outMatrix && Coefficients(colour.matrix) != Coefficients(want.matrix);
    const bool rangeChange = !rgb && colour.range != want.range;
    const bool scale = width != plan.width || height != plan.height || format != plan.format ||
                       matrixChange || rangeChange;
    if (scale) {
        std::string step = "scale=w=" + std::to_string(plan.width) +
                           ":h=" + std::to_string(plan.height) + ":flags=bicubic";
        // The source's matrix and range, stated: a picture that states neither would
        // be read as BT.601 whatever its size.
        if (inMatrix && (matrixChange || rgb)) step += std::string(":in_color_matrix=") + inMatrix;
        if (outMatrix && matrixChange) step += std::string(":out_color_matrix=") + outMatrix;
        if (rangeChange || rgb)
            step += std::string(":in_range=") + RangeName(colour.range) +
                    ":out_range=" + RangeName(want.range);
        steps.push_back(step);
        steps.push_back(std::string("format=pix_fmts=") + av_get_pix_fmt_name(plan.format));
    }
    if (scale || av_cmp_q(Upright(in.sampleAspect, turn), plan.sampleAspect) != 0)
        steps.push_back("setsar=" + Rational(plan.sampleAspect));
    if (plan.convertRate) steps.push_back("fps=fps=" + Rational(plan.rate));
    if (steps.empty()) return "null";
    std::string text;
    for (const std::string& step : steps) text += (text.empty() ? "" : ",") + step;
    return text;
}

}  // namespace media::detail
