#include "platform/media/AudioEncodeStage.h"

namespace media::detail {

void AudioEncodeStage::Run() {
    const AudioChain::Emit emit = [this](AVFrame& frame) { return encoder_.Send(&frame); };
    FramePtr frame;
    while (frames_.Pop(frame)) {
        if (!frame) {
            if (chain_->Finish(emit)) encoder_.Finish();
            return;
        }
        if (!chain_->Send(std::move(frame), emit)) return;
    }
}

}  // namespace media::detail
