// Where pictures land on the encoder's clock: rate conversion (the video filter
// chain's fps) keeps the length and never leaves a gap or a repeat of a frame
// number; kept rates stay increasing.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
}

#include <cstring>

#include "MediaTestSupport.h"
#include "platform/media/VideoTiming.h"

namespace {

using media::detail::FramePtr;
using media::detail::KeepRateTiming;
using media::detail::VideoPlan;

// A small picture whose luma tells which source picture it is, at `pts`.
FramePtr Numbered(int n, std::int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->width = 32;
    frame->height = 16;
    frame->format = AV_PIX_FMT_YUV420P;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < 3; ++p)
        std::memset(frame->data[p], p == 0 ? 16 + n : 128, frame->linesize[p] * (p == 0 ? 16 : 8));
    frame->best_effort_timestamp = pts;
    return frame;
}

// Source pictures at n * step (source time base) from `first`.
std::vector<std::int64_t> Regular(int count, std::int64_t step, std::int64_t first = 0) {
    std::vector<std::int64_t> pts;
    for (int n = 0; n < count; ++n) pts.push_back(first + n * step);
    return pts;
}

struct RateCase {
    const char* name;
    AVRational sourceTimeBase;
    AVRational rate;  // output frames per second
    std::int64_t start;
    std::int64_t sourceFrame;  // 0: unknown
    std::vector<std::int64_t> pts;
    std::int64_t firstFrame;      // the output frame number the first picture takes
    std::int64_t frames;          // output frames in all
    std::vector<std::int64_t> counts;  // per source picture; empty: not checked
};

// Frames per picture, in order, after checking the frame numbers join without
// gap or repeat.
std::vector<std::int64_t> Convert(const RateCase& c, std::int64_t& first, std::int64_t& end) {
    VideoPlan plan;
    plan.width = 32;
    plan.height = 16;
    plan.format = AV_PIX_FMT_YUV420P;
    plan.rate = c.rate;
    plan.convertRate = true;
    std::vector<FramePtr> pictures;
    for (std::size_t i = 0; i < c.pts.size(); ++i) pictures.push_back(Numbered(static_cast<int>(i), c.pts[i]));
    const auto frames = mediatest::ThroughVideoChain(plan, c.sourceTimeBase, c.start, c.sourceFrame,
                                                     std::move(pictures));
    std::vector<std::int64_t> counts(c.pts.size(), 0);
    first = frames.empty() ? 0 : frames.front()->pts;
    std::int64_t next = first;
    for (const FramePtr& frame : frames) {
        EXPECT_EQ(frame->pts, next) << "frame numbers run on without gap or repeat";
        next = frame->pts + 1;
        ++counts.at(static_cast<std::size_t>(frame->data[0][0] - 16));
    }
    end = next;
    return counts;
}

TEST(RateConverterTest, KeepsTheLengthAtEveryRate) {
    const RateCase cases[] = {
        // 25 -> 30: one picture in five shows twice.
        {"25 to 30", {1, 25}, {30, 1}, 0, 1, Regular(25, 1), 0, 30,
         {1, 1, 2, 1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 1, 1}},
        // NTSC in a 90 kHz container to its own exact rate: one frame each.
        {"29.97 to 30000/1001", {1, 90000}, {30000, 1001}, 0, 3003, Regular(30, 3003), 0, 30,
         std::vector<std::int64_t>(30, 1)},
        // The Windows Media writer's 23.976 from 30: one picture in five is dropped.
        {"30 to 23.976", {1, 30}, {24000, 1001}, 0, 1, Regular(30, 1), 0, 24,
         {1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1}},
        // Dropping to a lower rate from a millisecond clock.
        {"50 to 25 in ms", {1, 1000}, {25, 1}, 0, 20, Regular(50, 20), 0, 25, {}},
        // A variable-rate source: each picture lasts until the next one starts.
        {"variable", {1, 1000}, {25, 1}, 0, 40, {0, 40, 50, 120, 200}, 0, 6, {1, 0, 2, 2, 1}},
        // A stream that starts late keeps its offset against the source's start.
        {"first picture at 1 s", {1, 25}, {25, 1}, 0, 1, Regular(10, 1, 25), 25, 10,
         std::vector<std::int64_t>(10, 1)},
        // The source's own start is time zero.
        {"source starting at 10 s", {1, 1000}, {25, 1}, 10000, 40, Regular(25, 40, 10000), 0, 25,
         std::vector<std::int64_t>(25, 1)},
        // A picture before the start gives way to the one at the start.
        {"picture before the start", {1, 1000}, {25, 1}, 100, 40, {60, 100, 140}, 0, 2, {0, 1, 1}},
        // Unknown times follow the picture before by one source picture.
        {"no times", {1, 25}, {25, 1}, 0, 1, {0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 3}, 0, 4,
         {1, 1, 1, 1}},
        // Time running backwards is held where it was.
        {"backwards", {1, 25}, {25, 1}, 0, 1, {0, 1, 2, 1, 4}, 0, 5, {1, 1, 0, 2, 1}},
        // Without a known picture length the last picture still shows once.
        {"single picture, length unknown", {1, 25}, {25, 1}, 0, 0, {0}, 0, 1, {1}},
    };
    for (const RateCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::int64_t first = 0, end = 0;
        const auto counts = Convert(c, first, end);
        EXPECT_EQ(first, c.firstFrame);
        EXPECT_EQ(end - first, c.frames);
        EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), std::int64_t{0}), c.frames);
        if (!c.counts.empty()) {
            EXPECT_EQ(counts, c.counts);
        }
    }
}

TEST(RateConverterTest, FlushWithoutPicturesGivesNothing) {
    VideoPlan plan;
    plan.rate = {30, 1};
    plan.convertRate = true;
    EXPECT_TRUE(mediatest::ThroughVideoChain(plan, {1, 25}, 0, 1, {}).empty());
}

TEST(KeepRateTimingTest, TimesRunOnTheEncodersClockAndAlwaysIncrease) {
    struct Case {
        const char* name;
        AVRational source;
        AVRational encoder;
        std::int64_t start;
        std::vector<std::int64_t> in;
        std::vector<std::int64_t> out;
    };
    const Case cases[] = {
        {"same clock", {1, 25}, {1, 25}, 0, {0, 1, 2}, {0, 1, 2}},
        {"ms to 1/25, nearest", {1, 1000}, {1, 25}, 0, {0, 39, 81, 119}, {0, 1, 2, 3}},
        {"start taken off", {1, 1000}, {1, 25}, 2000, {2000, 2040}, {0, 1}},
        {"repeat pushed on", {1, 25}, {1, 25}, 0, {0, 1, 1, 1, 5}, {0, 1, 2, 3, 5}},
        {"backwards pushed on", {1, 25}, {1, 25}, 0, {4, 2, 6}, {4, 5, 6}},
        {"no time first", {1, 25}, {1, 25}, 0, {AV_NOPTS_VALUE, AV_NOPTS_VALUE, 7}, {0, 1, 7}},
        {"no time later", {1, 25}, {1, 25}, 0, {3, AV_NOPTS_VALUE}, {3, 4}},
        {"before the start", {1, 25}, {1, 25}, 10, {8, 10}, {-2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeepRateTiming timing(c.source, c.encoder, c.start);
        std::vector<std::int64_t> out;
        for (std::int64_t pts : c.in) out.push_back(timing.Next(pts));
        EXPECT_EQ(out, c.out);
    }
}

}  // namespace
