#include "platform/media/VideoEncodeStage.h"

namespace media::detail {

VideoEncodeStage::VideoEncodeStage(StreamEncoder& encoder, BoundedQueue<FramePtr>& frames,
                                   RunStatus& status, const AVFormatContext& source,
                                   AVStream& input)
    : encoder_(encoder),
      frames_(frames),
      status_(status),
      scaler_(encoder.context()->width, encoder.context()->height, encoder.context()->pix_fmt) {
    const std::int64_t start =
        av_rescale_q(source.start_time != AV_NOPTS_VALUE ? source.start_time : 0,
                     AVRational{1, AV_TIME_BASE}, input.time_base);
    const AVRational timeBase = encoder.context()->time_base;
    if (encoder.route().frameRate.num > 0) {
        const AVRational sourceRate =
            av_guess_frame_rate(const_cast<AVFormatContext*>(&source), &input, nullptr);
        const std::int64_t sourceFrame =
            sourceRate.num > 0 && sourceRate.den > 0
                ? av_rescale_q(1, av_inv_q(sourceRate), input.time_base)
                : 0;
        rate_.emplace(input.time_base, timeBase, start, sourceFrame);
    } else {
        keep_.emplace(input.time_base, timeBase, start);
    }
}

void VideoEncodeStage::Run() {
    FramePtr frame;
    while (frames_.Pop(frame)) {
        if (!frame) {
            if (rate_ && held_ && !Emit(rate_->Flush())) return;
            held_.reset();
            encoder_.Finish();
            return;
        }
        if (!Convert(std::move(frame))) return;
    }
}

bool VideoEncodeStage::Convert(FramePtr frame) {
    const std::int64_t pts = frame->best_effort_timestamp;
    FrameSpan due;
    if (rate_) due = rate_->Next(pts);
    if (rate_ && held_ && !Emit(due)) return false;
    if (!scaler_.Convert(frame)) {
        status_.Fail(E_OUTOFMEMORY);
        return false;
    }
    frame->pict_type = AV_PICTURE_TYPE_NONE;  // the encoder places its own key frames
    if (rate_) {
        held_ = std::move(frame);
        return true;
    }
    frame->pts = keep_->Next(pts);
    return encoder_.Send(frame.get());
}

bool VideoEncodeStage::Emit(FrameSpan span) {
    for (std::int64_t slot = span.begin; slot < span.end; ++slot) {
        held_->pts = slot;
        if (!encoder_.Send(held_.get())) return false;
    }
    return true;
}

}  // namespace media::detail
