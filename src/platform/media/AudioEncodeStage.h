#pragma once
// The audio encode stage: decoded sound goes through the stream's filter chain
// (resampled to the encoder's format, cut into the frames it takes, stamped by
// sample count) and is encoded.
//
// Thread: the starting thread hands over the chain it built for the encoder it
// opened; from then on the encode thread owns both. Stop and failures reach it
// through its input queue and the mux queue, both aborted by RunStatus; it
// reports its own failures through RunStatus::Fail. An empty frame is the end:
// the chain is drained, the last frame short, the encoder drained and the end
// passed on to the multiplexer.
#include "platform/media/AudioChain.h"
#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"

namespace media::detail {

class AudioEncodeStage final : public Stage {
public:
    AudioEncodeStage(StreamEncoder& encoder, std::unique_ptr<AudioChain> chain,
                     BoundedQueue<FramePtr>& frames)
        : encoder_(encoder), chain_(std::move(chain)), frames_(frames) {}

    void Run() override;

private:
    StreamEncoder& encoder_;
    std::unique_ptr<AudioChain> chain_;
    BoundedQueue<FramePtr>& frames_;
};

}  // namespace media::detail
