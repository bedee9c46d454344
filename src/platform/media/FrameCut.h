#pragma once
// The exact cut of a converted stream: decoded frames before the output's zero
// and from the end on are left out, and sound frames across either are cut to
// the sample. A picture that is showing at the zero is kept, moved to it: the
// output's first picture is the source's picture at the start.
//
// Thread: its decode stage's thread alone.
#include <cstdint>

#include "platform/media/Internal.h"

namespace media::detail {

class FrameCut {
public:
    // Times in the stream's `timeBase`; `frameDuration` one picture, 0 when unknown.
    FrameCut(AVRational timeBase, std::int64_t origin, std::int64_t end, std::int64_t frameDuration)
        : timeBase_(timeBase), origin_(origin), end_(end), frameDuration_(frameDuration) {}

    // The frame as it goes on (possibly a new, shorter one), or empty when it is
    // left out (or memory ran out: `failed`).
    FramePtr Apply(FramePtr frame, bool& failed) const;

private:
    FramePtr Picture(FramePtr frame) const;
    FramePtr Sound(FramePtr frame, bool& failed) const;

    AVRational timeBase_;
    std::int64_t origin_;
    std::int64_t end_;
    std::int64_t frameDuration_;
};

}  // namespace media::detail
