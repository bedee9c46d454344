#pragma once
// One audio stream's filter chain: decoded sound in, the encoder's frames out,
// each stamped with its first sample's position, which runs on sample by sample
// from where the stream's first sound sits against the source's start. Two
// libavfilter graphs: one that converts (built again when the sound's format
// changes, left out while it fits) and one that cuts frames, which lives as
// long as the stream so that only its last frame is ever short.
//
// Thread: the starting thread builds the chain from the decoder's parameters
// once the encoder is open (its frame size is the chain's); from then on the
// audio encode thread alone owns it. Failures go to RunStatus.
#include <functional>
#include <string>

#include "platform/media/AudioPlan.h"
#include "platform/media/FilterChain.h"
#include "platform/media/RunStatus.h"

namespace media::detail {

class AudioChain {
public:
    // `out`: the encoder's format; `frameSize`: samples per encoder frame;
    // `timeBase`: the decoded sound's times; `start`: the source's start in it.
    // `fillFromStart`: sound that starts after the source is led in by silence (a
    // container that cannot start a stream late).
    AudioChain(SoundFormat out, int frameSize, AVRational timeBase, std::int64_t start,
               bool fillFromStart, RunStatus& status)
        : out_(out),
          frameSize_(frameSize),
          timeBase_(timeBase),
          start_(start),
          fillFromStart_(fillFromStart),
          status_(status) {}

    // Builds the chain for sound `in`; QV_E_FILTER and FFmpeg's words when it cannot be had.
    HRESULT Configure(const SoundFormat& in, std::string& reason);
    // Both graphs' text, as one chain.
    std::string text() const;

    using Emit = std::function<bool(AVFrame&)>;
    // Decoded sound in, every frame it completes to `emit`. False once the run must end.
    bool Send(FramePtr frame, const Emit& emit);
    // The end of the stream: the rest, the last frame short, to `emit`.
    bool Finish(const Emit& emit);

private:
    bool Fail(int err);
    bool LeadIn();
    // Moves what the converter gives into the framer; with `end`, all it holds.
    bool Convert(bool end);
    bool Pull(const Emit& emit);

    SoundFormat out_;
    int frameSize_;
    AVRational timeBase_;
    std::int64_t start_;
    bool fillFromStart_;
    RunStatus& status_;
    FilterChain convert_;  // not built while the sound fits
    FilterChain frames_;
    SoundFormat in_;
    std::string convertText_;
    std::int64_t next_ = AV_NOPTS_VALUE;  // the next frame's first sample, counted from the start
    FramePtr scratch_{av_frame_alloc()};
};

}  // namespace media::detail
