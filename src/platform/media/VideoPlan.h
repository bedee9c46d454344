#pragma once
// A picture's way from its decoder to its encoder. The plan is decided when the
// route is made, from the source's picture and what the writer and the encoder
// take; the chain's text carries it out for the pictures the decoder hands over
// (libavfilter's syntax: the filter chain a run builds and the benchmark hands
// the ffmpeg command line).
//
//   [bwdif] → [transpose/hflip/vflip] → [zscale, tonemap, zscale] → scale → format → setsar → [fps]
#include <optional>
#include <string>
#include <vector>

#include "platform/media/SourcePicture.h"

namespace media::detail {

struct WmStream;

// What the decoder hands over; the chain is built for it and built again when it
// changes. The pixels' shape is the stream's (a container's word over the picture's).
struct PictureIn {
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    AVRational sampleAspect{1, 1};
    ColourTags colour;
    bool interlaced = false;
};
// Whether pictures `b` need another chain than pictures `a` (their shape aside).
bool Differ(const PictureIn& a, const PictureIn& b);
PictureIn PictureOf(const AVCodecContext& decoder);
PictureIn PictureOf(const AVFrame& frame);

struct VideoPlan {
    Turn turn;
    bool deinterlace = false;  // bwdif, one frame per frame
    bool toneMap = false;      // HDR light brought to SDR BT.709
    int width = 0;             // the encoder's frame
    int height = 0;
    AVRational sampleAspect{1, 1};
    AVPixelFormat format = AV_PIX_FMT_NONE;
    AVRational rate{0, 1};     // the encoder's rate; {0, 1} when the source states none
    bool convertRate = false;  // the writer dictates `rate`: pictures repeated or dropped
    ColourTags colour;         // written with the pictures
    // Carried with an HDR picture that stays HDR.
    std::optional<AVMasteringDisplayMetadata> mastering;
    std::optional<AVContentLightMetadata> light;
};

// What a player takes `stated` to mean for a picture of this size and format:
// BT.709 for HD and BT.601 for SD where nothing is said; limited range for YUV.
ColourTags EffectiveColour(ColourTags stated, int width, int height, AVPixelFormat format);

// A rate the encoder can store: its own nearest for encoders of fixed rates, a
// common rate within a thousandth, else the nearest with both terms below 65536
// (a phone's 90000/3001 becomes 30, 90000/3003 becomes 30000/1001).
AVRational FitRate(AVRational rate, const AVCodec* encoder);

struct VideoTarget {
    const AVCodec* encoder = nullptr;
    const AVOutputFormat* muxer = nullptr;
    bool raw = false;              // uncompressed into the container
    const WmStream* wm = nullptr;  // the Windows Media writer's profile stream
};

// The plan for `source` (decoded as `decoded`, at `sourceRate`) into `target`.
// Notes what the run goes without (HDR kept without complete mastering data).
VideoPlan PlanVideo(const SourcePicture& source, AVPixelFormat decoded, AVRational sourceRate,
                    const VideoTarget& target, std::vector<RunNote>& notes);

// The chain for pictures `in` ("null" when they fit as they come). Without
// `optional` the steps a picture can do without (deinterlacing, tone mapping)
// are left out: the chain to fall back on when one of them is refused.
std::string VideoFilterText(const VideoPlan& plan, const PictureIn& in, bool optional = true);

}  // namespace media::detail
