#pragma once
// Where each picture out of the filter chain lands on the encoder's clock. Pure
// arithmetic on time stamps, owned by the video encode thread. (Rate conversion
// is the chain's fps filter.)
#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

namespace media::detail {

// Without rate conversion: the source's own times on the encoder's clock, made
// strictly increasing (the encoder refuses a time it has seen).
class KeepRateTiming {
public:
    KeepRateTiming(AVRational sourceTimeBase, AVRational encoderTimeBase, std::int64_t start)
        : sourceTimeBase_(sourceTimeBase), encoderTimeBase_(encoderTimeBase), start_(start) {}
    std::int64_t Next(std::int64_t pts);

private:
    AVRational sourceTimeBase_;
    AVRational encoderTimeBase_;
    std::int64_t start_;
    bool any_ = false;
    std::int64_t last_ = 0;
};

}  // namespace media::detail
