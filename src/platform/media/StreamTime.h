#pragma once
// The layer's clock: DirectShow's 100 ns units, and the one rounding the stages
// use to move a time stamp from one time base to another.
#include <cstdint>

#include "platform/Time.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace media::detail {

inline constexpr AVRational kHundredNs{1, static_cast<int>(kHundredNsPerSecond)};

// To the nearest tick of `to`, halves away from zero; "no time" passes through.
inline std::int64_t RescaleNearest(std::int64_t t, AVRational from, AVRational to) {
    return av_rescale_q_rnd(t, from, to,
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

}  // namespace media::detail
