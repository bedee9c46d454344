#pragma once
// What the pictures of a video stream are to a viewer: which way up, what
// shape, which colours, whether interlaced, and the HDR facts worth carrying.
// Read on the opening thread when the source is rendered; the route and its
// filter chain are planned from it.
#include <cstdint>
#include <optional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include "platform/media/FilterGraph.h"

namespace media::detail {

// A quarter turn or a mirror, as the steps that make the picture upright: the
// axes swapped first, then mirrored left to right, then top to bottom.
struct Turn {
    bool transpose = false;
    bool hflip = false;
    bool vflip = false;
    bool any() const { return transpose || hflip || vflip; }
    bool operator==(const Turn&) const = default;
};

// The steps a display matrix asks for; nothing for a matrix that is not a
// quarter turn or a mirror (a slant, a stretch), which is left as stored.
std::optional<Turn> TurnOfMatrix(const std::int32_t matrix[9]);

// A colour description as a stream or frame states it (unspecified where unstated).
struct ColourTags {
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    bool operator==(const ColourTags&) const = default;
};

// Perceptual-quantizer or hybrid log-gamma light: a picture made for HDR screens.
bool IsHdr(AVColorTransferCharacteristic transfer);

struct SourcePicture {
    int width = 0;  // as stored
    int height = 0;
    AVRational sampleAspect{1, 1};  // of the stored picture
    Turn turn;
    bool interlaced = false;  // the stream states a field order
    ColourTags colour;
    std::optional<AVMasteringDisplayMetadata> mastering;
    std::optional<AVContentLightMetadata> light;
    // What was ignored while reading (a damaged or slanted rotation), for the run's notes.
    std::vector<RunNoteKind> notes;

    // The stored picture once upright, and the shape of its pixels then.
    int uprightWidth() const { return turn.transpose ? height : width; }
    int uprightHeight() const { return turn.transpose ? width : height; }
    AVRational uprightAspect() const;
    // The upright picture at square pixels: what a player shows and the program
    // reports as the frame size (a stretched side is made even).
    int displayWidth() const;
    int displayHeight() const { return uprightHeight(); }
};

// Reads the picture facts of `stream`, whose decoder is open. HDR mastering data
// that the container does not state is looked for in the first decoded picture
// (through a second, private reading of `path`).
SourcePicture ReadPicture(const std::string& path, AVFormatContext& source, AVStream& stream,
                          const AVCodecContext& decoder);

}  // namespace media::detail
