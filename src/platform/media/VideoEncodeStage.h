#pragma once
// The video encode stage: decoded pictures go through the stream's filter chain
// (upright, deinterlaced, tone-mapped, scaled, at the writer's rate where it
// dictates one), are timed on the encoder's clock and encoded.
//
// Thread: the starting thread hands over the chain it built and the encoder it
// opened from the chain's output; from then on the encode thread owns both and
// the timing. Stop and failures reach it through its input queue and the mux
// queue, both aborted by RunStatus; it reports its own failures (a filter or
// the encoder refusing, no memory) through RunStatus::Fail. An empty frame is
// the end: the chain is drained, the encoder drained and the end passed on to
// the multiplexer.
#include <optional>

#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"
#include "platform/media/VideoChain.h"
#include "platform/media/VideoTiming.h"

namespace media::detail {

class VideoEncodeStage final : public Stage {
public:
    VideoEncodeStage(StreamEncoder& encoder, std::unique_ptr<VideoChain> chain,
                     BoundedQueue<FramePtr>& frames);

    void Run() override;

private:
    bool Encode(AVFrame& frame);

    StreamEncoder& encoder_;
    std::unique_ptr<VideoChain> chain_;
    BoundedQueue<FramePtr>& frames_;
    std::optional<KeepRateTiming> keep_;  // unless the chain converts the rate
    VideoChain::Emit emit_;
    bool started_ = false;
};

}  // namespace media::detail
