#pragma once
// One video stream's filter chain: decoded pictures in, the pictures the encoder
// takes out, with their times made usable on the way in (a missing time follows
// the picture before, time never runs back, the source's start is zero).
//
// Thread: the starting thread builds the first chain from the decoder's
// parameters, before any picture is decoded, and opens the encoder from what
// comes out; from then on the video encode thread alone owns the chain and
// builds it again when a picture arrives that differs (size, format, colours,
// interlacing), after draining the old one. Failures go to RunStatus.
#include <functional>
#include <string>

#include "platform/media/FilterChain.h"
#include "platform/media/RunStatus.h"
#include "platform/media/VideoPlan.h"

namespace media::detail {

class VideoChain {
public:
    // `timeBase`: the pictures' times; `start`: the source's start in it;
    // `frameDuration`: one source picture in it, 0 when unknown;
    // `sampleAspect`: the stream's pixel shape, which the pictures are taken to have.
    VideoChain(VideoPlan plan, AVRational sampleAspect, AVRational timeBase, std::int64_t start,
               std::int64_t frameDuration, RunStatus& status);

    // Builds the chain for pictures `in`. A step the pictures can do without
    // (deinterlacing, tone mapping) that is refused is left out, with a note;
    // QV_E_FILTER with FFmpeg's words in `reason` when no chain can be had.
    HRESULT Configure(const PictureIn& in, std::string& reason);

    // What comes out: the encoder's frame and clock.
    int width() const;
    int height() const;
    AVPixelFormat format() const;
    AVRational sampleAspect() const;
    AVRational timeBase() const;
    const VideoPlan& plan() const { return plan_; }
    const std::string& text() const { return text_; }

    // Takes a picture ready for the encoder; false when the run must end.
    using Emit = std::function<bool(AVFrame&)>;
    // A decoded picture in, every picture it completes to `emit`. False once the
    // run must end.
    bool Send(FramePtr frame, const Emit& emit);
    // The end of the stream: what the chain still holds, to `emit`.
    bool Finish(const Emit& emit);

private:
    // Closes the chain with its input ending at `end` and passes on what it held.
    bool Drain(std::int64_t end, const Emit& emit);
    bool Pull(const Emit& emit);

    VideoPlan plan_;
    AVRational sampleAspect_;
    AVRational timeBase_;
    std::int64_t start_;
    std::int64_t frameDuration_;
    RunStatus& status_;
    FilterChain chain_;
    PictureIn in_;
    std::string text_;
    bool any_ = false;
    std::int64_t last_ = 0;  // the last picture's time, the source's time base
    FramePtr out_{av_frame_alloc()};
};

}  // namespace media::detail
