#include "platform/media/VideoEncodeStage.h"

namespace media::detail {

VideoEncodeStage::VideoEncodeStage(StreamEncoder& encoder, std::unique_ptr<VideoChain> chain,
                                   BoundedQueue<FramePtr>& frames)
    : encoder_(encoder), chain_(std::move(chain)), frames_(frames) {
    // Converting the rate, the chain's clock is the encoder's: one tick a frame.
    if (!chain_->plan().convertRate)
        keep_.emplace(chain_->timeBase(), encoder.context()->time_base, 0);
    emit_ = [this](AVFrame& frame) { return Encode(frame); };
}

void VideoEncodeStage::Run() {
    FramePtr frame;
    while (frames_.Pop(frame)) {
        if (!frame) {
            if (chain_->Finish(emit_)) encoder_.Finish();
            return;
        }
        if (!chain_->Send(std::move(frame), emit_)) return;
    }
}

bool VideoEncodeStage::Encode(AVFrame& frame) {
    if (keep_) frame.pts = keep_->Next(frame.pts);
    frame.pict_type = AV_PICTURE_TYPE_NONE;  // the encoder places its own key frames
    // A picture that starts after the sound, in a container that cannot start it
    // late, shows from the start so that the two stay together.
    if (!started_ && encoder_.route().fillFromStart && encoder_.frameDuration() > 0) {
        const std::int64_t first = frame.pts;
        for (frame.pts = 0; frame.pts < first; ++frame.pts)
            if (!encoder_.Send(&frame)) return false;
    }
    started_ = true;
    return encoder_.Send(&frame);
}

}  // namespace media::detail
