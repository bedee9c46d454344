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
    return encoder_.Send(&frame);
}

}  // namespace media::detail
