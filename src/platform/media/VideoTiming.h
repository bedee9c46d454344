#pragma once
// Where each decoded picture lands on the encoder's clock. Pure arithmetic on
// time stamps, owned by the video encode thread.
#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

namespace media::detail {

// Output frames [begin, end) show one source picture.
struct FrameSpan {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t count() const { return end > begin ? end - begin : 0; }
};

// Frame-rate conversion. Output frame n shows at n / rate and takes the newest
// source picture that has started by then (to the nearest output frame), so the
// length stays the source's: pictures are repeated or dropped to meet the rate.
// The newest picture waits until the next one shows how many frames it covers.
class RateConverter {
public:
    // `sourceTimeBase`: the pictures' times; `rateTimeBase`: one output frame;
    // `start`: the source's start (source time base); `sourceFrameDuration`: one
    // source picture in the source time base, 0 when unknown.
    RateConverter(AVRational sourceTimeBase, AVRational rateTimeBase, std::int64_t start,
                  std::int64_t sourceFrameDuration)
        : sourceTimeBase_(sourceTimeBase),
          rateTimeBase_(rateTimeBase),
          start_(start),
          sourceFrameDuration_(sourceFrameDuration) {}

    // A new picture at `pts` (AV_NOPTS_VALUE when unknown): the frames the picture
    // before it covers. The new picture is held from here on.
    FrameSpan Next(std::int64_t pts);
    // At the end: the frames the held picture covers (it lasts one source
    // picture; a source of one picture gives one frame).
    FrameSpan Flush();

private:
    std::int64_t Slot(std::int64_t pts) const;

    AVRational sourceTimeBase_;
    AVRational rateTimeBase_;
    std::int64_t start_;
    std::int64_t sourceFrameDuration_;
    bool holding_ = false;
    std::int64_t lastPts_ = 0;
    std::int64_t firstSlot_ = 0;
    std::int64_t nextSlot_ = 0;
};

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
