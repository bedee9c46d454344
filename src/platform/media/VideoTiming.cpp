#include "platform/media/VideoTiming.h"

extern "C" {
#include <libavutil/avutil.h>
}

#include "platform/media/StreamTime.h"

namespace media::detail {

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
