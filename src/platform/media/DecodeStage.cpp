#include "platform/media/DecodeStage.h"

#include "platform/media/FfmpegLog.h"

namespace media::detail {

void DecodeStage::Run() {
    PacketPtr packet;
    while (packets_.Pop(packet)) {
        LogCapture capture;
        int err = avcodec_send_packet(&decoder_, packet.get());
        if (err == AVERROR(ENOMEM)) return status_.Fail(E_OUTOFMEMORY, capture.Reason(err));
        for (;;) {
            FramePtr frame(av_frame_alloc());
            if (!frame) return status_.Fail(E_OUTOFMEMORY);
            err = avcodec_receive_frame(&decoder_, frame.get());
            if (err == AVERROR(ENOMEM)) return status_.Fail(E_OUTOFMEMORY, capture.Reason(err));
            if (err < 0) break;
            if (!frames_.Push(std::move(frame))) return;
        }
        if (!packet) {
            frames_.Push(nullptr);
            return;
        }
    }
}

}  // namespace media::detail
