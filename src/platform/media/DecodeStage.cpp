#include "platform/media/DecodeStage.h"

#include "platform/media/FfmpegLog.h"

namespace media::detail {

namespace {

bool Damaged(int err) { return err < 0 && err != AVERROR(EAGAIN) && err != AVERROR_EOF; }

}  // namespace

void DecodeStage::Run() {
    PacketPtr packet;
    while (packets_.Pop(packet)) {
        LogCapture capture;
        int err = avcodec_send_packet(&decoder_, packet.get());
        if (err == AVERROR(ENOMEM)) return status_.Fail(E_OUTOFMEMORY, capture.Reason(err));
        if (Damaged(err)) ++damaged_;
        for (;;) {
            FramePtr frame(av_frame_alloc());
            if (!frame) return status_.Fail(E_OUTOFMEMORY);
            err = avcodec_receive_frame(&decoder_, frame.get());
            if (err == AVERROR(ENOMEM)) return status_.Fail(E_OUTOFMEMORY, capture.Reason(err));
            if (Damaged(err)) ++damaged_;
            if (err < 0) break;
            // A picture the decoder patched up (concealed) is shown, and counted.
            if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT)) ++damaged_;
            if (cut_) {
                bool failed = false;
                frame = cut_->Apply(std::move(frame), failed);
                if (failed) return status_.Fail(E_OUTOFMEMORY);
                if (!frame) continue;
            }
            if (!frames_.Push(std::move(frame))) return;
        }
        if (!packet) {
            if (damaged_) status_.Note(RunNoteKind::DamagedFrames, damaged_);
            frames_.Push(nullptr);
            return;
        }
    }
}

}  // namespace media::detail
