#include "platform/media/VideoTiming.h"

#include <algorithm>

extern "C" {
#include <libavutil/avutil.h>
}

#include "platform/media/StreamTime.h"

namespace media::detail {

std::int64_t RateConverter::Slot(std::int64_t pts) const {
    return RescaleNearest(pts - start_, sourceTimeBase_, rateTimeBase_);
}

FrameSpan RateConverter::Next(std::int64_t pts) {
    // A picture without a time follows the one before; time never runs backwards.
    if (pts == AV_NOPTS_VALUE) pts = holding_ ? lastPts_ + sourceFrameDuration_ : start_;
    if (holding_ && pts < lastPts_) pts = lastPts_;
    const std::int64_t slot = Slot(pts);
    FrameSpan span;
    if (!holding_) {
        firstSlot_ = nextSlot_ = std::max<std::int64_t>(slot, 0);
        span = {nextSlot_, nextSlot_};
    } else {
        span = {nextSlot_, slot};
        nextSlot_ = std::max(nextSlot_, slot);
    }
    holding_ = true;
    lastPts_ = pts;
    return span;
}

FrameSpan RateConverter::Flush() {
    if (!holding_) return {};
    holding_ = false;
    std::int64_t end = nextSlot_ + 1;
    if (sourceFrameDuration_ > 0) end = Slot(lastPts_ + sourceFrameDuration_);
    const FrameSpan span{nextSlot_, std::max(end, firstSlot_ + 1)};
    nextSlot_ = std::max(nextSlot_, span.end);
    return span;
}

std::int64_t KeepRateTiming::Next(std::int64_t pts) {
    if (pts != AV_NOPTS_VALUE)
        pts = RescaleNearest(pts - start_, sourceTimeBase_, encoderTimeBase_);
    if (any_ && (pts == AV_NOPTS_VALUE || pts <= last_)) pts = last_ + 1;
    if (pts == AV_NOPTS_VALUE) pts = 0;
    any_ = true;
    last_ = pts;
    return pts;
}

}  // namespace media::detail
