#include "platform/media/FrameCut.h"

#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace media::detail {

FramePtr FrameCut::Apply(FramePtr frame, bool& failed) const {
    failed = false;
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE) return frame;
    return frame->nb_samples > 0 ? Sound(std::move(frame), failed) : Picture(std::move(frame));
}

FramePtr FrameCut::Picture(FramePtr frame) const {
    const std::int64_t t = frame->best_effort_timestamp;
    const std::int64_t length = frame->pkt_duration > 0 ? frame->pkt_duration : frameDuration_;
    if (t >= end_ || (t < origin_ && (length <= 0 || t + length <= origin_))) return nullptr;
    if (t < origin_) frame->best_effort_timestamp = frame->pts = origin_;
    return frame;
}

FramePtr FrameCut::Sound(FramePtr frame, bool& failed) const {
    const std::int64_t t = frame->best_effort_timestamp;
    const AVRational sample{1, frame->sample_rate > 0 ? frame->sample_rate : 1};
    const std::int64_t n = frame->nb_samples;
    const std::int64_t from =
        std::clamp<std::int64_t>(av_rescale_q(origin_ - t, timeBase_, sample), 0, n);
    const std::int64_t to =
        std::clamp<std::int64_t>(av_rescale_q(end_ - t, timeBase_, sample), 0, n);
    if (to <= from) return nullptr;
    if (from == 0 && to == n) return frame;
    FramePtr part(av_frame_alloc());
    failed = !part || av_channel_layout_copy(&part->ch_layout, &frame->ch_layout) < 0;
    if (!failed) {
        part->format = frame->format;
        part->sample_rate = frame->sample_rate;
        part->nb_samples = static_cast<int>(to - from);
        failed =
            av_frame_get_buffer(part.get(), 0) < 0 ||
            av_samples_copy(part->extended_data, frame->extended_data, 0, static_cast<int>(from),
                            part->nb_samples, frame->ch_layout.nb_channels,
                            static_cast<AVSampleFormat>(frame->format)) < 0;
    }
    if (failed) return nullptr;
    part->best_effort_timestamp = part->pts = t + av_rescale_q(from, sample, timeBase_);
    return part;
}

}  // namespace media::detail
