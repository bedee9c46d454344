// The video filter chain against the hand-written units it replaced: rate
// conversion keeps the length and never leaves a gap or a repeat of a frame
// number; pictures come out at the encoder's size and format with their times
// and tone; kept rates stay increasing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
}

#include "platform/media/VideoChain.h"
#include "platform/media/VideoTiming.h"

namespace {

using media::detail::FramePtr;
using media::detail::KeepRateTiming;
using media::detail::PictureIn;
using media::detail::RunStatus;
using media::detail::VideoChain;
using media::detail::VideoPlan;

PictureIn Pictures(int width, int height, AVPixelFormat format) {
    PictureIn in;
    in.width = width;
    in.height = height;
    in.format = format;
    return in;
}

// A flat picture of luma `tone` (chroma neutral) at `pts`.
FramePtr Flat(int width, int height, AVPixelFormat format, int tone, std::int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = format;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < AV_NUM_DATA_POINTERS && frame->buf[p]; ++p)
        std::memset(frame->buf[p]->data, p == 0 ? tone : 128, frame->buf[p]->size);
    frame->best_effort_timestamp = pts;
    return frame;
}

// A chain over pictures of one size and format, recording what comes out.
struct ChainRun {
    ChainRun(const VideoPlan& plan, AVRational timeBase, std::int64_t start, std::int64_t frame)
        : chain(plan, {1, 1}, timeBase, start, frame, status) {
        std::string reason;
        EXPECT_EQ(chain.Configure(Pictures(plan.width, plan.height, plan.format), reason), S_OK)
            << reason;
    }
    bool Send(FramePtr frame) { return chain.Send(std::move(frame), emit); }
    bool Finish() { return chain.Finish(emit); }

    struct Out {
        std::int64_t pts;
        int tone;  // the top-left luma: which picture it shows
        int width, height, format;
    };
    std::vector<Out> out;
    RunStatus status{std::make_shared<media::detail::EventQueue>()};
    VideoChain chain;
    VideoChain::Emit emit = [this](AVFrame& f) {
        out.push_back({f.pts, f.data[0][0], f.width, f.height, f.format});
        return true;
    };
};

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
    std::int64_t firstFrame;           // the output frame number the first picture takes
    std::int64_t frames;               // output frames in all
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
    ChainRun run(plan, c.sourceTimeBase, c.start, c.sourceFrame);
    for (std::size_t i = 0; i < c.pts.size(); ++i)
        EXPECT_TRUE(run.Send(Flat(32, 16, AV_PIX_FMT_YUV420P, 16 + static_cast<int>(i), c.pts[i])));
    EXPECT_TRUE(run.Finish());
    std::vector<std::int64_t> counts(c.pts.size(), 0);
    first = run.out.empty() ? 0 : run.out.front().pts;
    std::int64_t next = first;
    for (const auto& o : run.out) {
        EXPECT_EQ(o.pts, next) << "frame numbers run on without gap or repeat";
        next = o.pts + 1;
        ++counts.at(static_cast<std::size_t>(o.tone - 16));
    }
    end = next;
    return counts;
}

TEST(VideoChainTest, RateConversionKeepsTheLengthAtEveryRate) {
    const RateCase cases[] = {
        // 25 -> 30: one picture in five shows twice.
        {"25 to 30", {1, 25}, {30, 1}, 0, 1, Regular(25, 1), 0, 30, {1, 1, 2, 1, 1, 1, 1, 2, 1,
                                                                     1, 1, 1, 2, 1, 1, 1, 1, 2,
                                                                     1, 1, 1, 1, 2, 1, 1}},
        // NTSC in a 90 kHz container to its own exact rate: one frame each.
        {"29.97 to 30000/1001",
         {1, 90000},
         {30000, 1001},
         0,
         3003,
         Regular(30, 3003),
         0,
         30,
         std::vector<std::int64_t>(30, 1)},
        // The Windows Media writer's 23.976 from 30: one picture in five is dropped.
        {"30 to 23.976", {1, 30}, {24000, 1001}, 0, 1, Regular(30, 1), 0, 24, {1, 1, 0, 1, 1, 1,
                                                                               1, 0, 1, 1, 1, 1,
                                                                               0, 1, 1, 1, 1, 0,
                                                                               1, 1, 1, 1, 0, 1,
                                                                               1, 1, 1, 0, 1, 1}},
        // Dropping to a lower rate from a millisecond clock.
        {"50 to 25 in ms", {1, 1000}, {25, 1}, 0, 20, Regular(50, 20), 0, 25, {}},
        // A variable-rate source: each picture lasts until the next one starts.
        {"variable", {1, 1000}, {25, 1}, 0, 40, {0, 40, 50, 120, 200}, 0, 6, {1, 0, 2, 2, 1}},
        // A stream that starts late keeps its offset against the source's start.
        {"first picture at 1 s",
         {1, 25},
         {25, 1},
         0,
         1,
         Regular(10, 1, 25),
         25,
         10,
         std::vector<std::int64_t>(10, 1)},
        // The source's own start is time zero.
        {"source starting at 10 s",
         {1, 1000},
         {25, 1},
         10000,
         40,
         Regular(25, 40, 10000),
         0,
         25,
         std::vector<std::int64_t>(25, 1)},
        // A picture before the start gives way to the one at the start.
        {"picture before the start", {1, 1000}, {25, 1}, 100, 40, {60, 100, 140}, 0, 2, {0, 1, 1}},
        // Unknown times follow the picture before by one source picture.
        {"no times",
         {1, 25},
         {25, 1},
         0,
         1,
         {0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 3},
         0,
         4,
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

TEST(VideoChainTest, NoPicturesGiveNothing) {
    VideoPlan plan;
    plan.width = 32;
    plan.height = 16;
    plan.format = AV_PIX_FMT_YUV420P;
    plan.rate = {30, 1};
    plan.convertRate = true;
    ChainRun run(plan, {1, 25}, 0, 1);
    EXPECT_TRUE(run.Finish());
    EXPECT_TRUE(run.out.empty());
}

TEST(VideoChainTest, PicturesComeOutAtTheEncodersSizeAndFormatWithTheirTimesAndTone) {
    struct Case {
        const char* name;
        int inWidth, inHeight;
        AVPixelFormat in;
        int outWidth, outHeight;
        AVPixelFormat out;
    } const cases[] = {
        {"fits already", 320, 240, AV_PIX_FMT_YUV420P, 320, 240, AV_PIX_FMT_YUV420P},
        {"smaller", 1280, 720, AV_PIX_FMT_YUV420P, 640, 360, AV_PIX_FMT_YUV420P},
        {"odd source to even", 321, 241, AV_PIX_FMT_YUV420P, 320, 240, AV_PIX_FMT_YUV420P},
        {"4:2:2 to 4:2:0", 320, 240, AV_PIX_FMT_YUV422P, 320, 240, AV_PIX_FMT_YUV420P},
        {"grey to 4:2:0", 64, 48, AV_PIX_FMT_GRAY8, 64, 48, AV_PIX_FMT_YUV420P},
        {"larger", 160, 120, AV_PIX_FMT_YUV420P, 352, 288, AV_PIX_FMT_YUV420P},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VideoPlan plan;
        plan.width = c.outWidth;
        plan.height = c.outHeight;
        plan.format = c.out;
        media::detail::RunStatus status{std::make_shared<media::detail::EventQueue>()};
        VideoChain chain(plan, {1, 1}, {1, 25}, 0, 1, status);
        std::string reason;
        ASSERT_EQ(chain.Configure(Pictures(c.inWidth, c.inHeight, c.in), reason), S_OK) << reason;
        const bool fits = c.in == c.out && c.inWidth == c.outWidth && c.inHeight == c.outHeight;
        EXPECT_EQ(chain.text() == "null", fits)
            << "a fitting picture passes as it is: " << chain.text();
        EXPECT_EQ(chain.width(), c.outWidth) << "the encoder is opened for what comes out";
        EXPECT_EQ(chain.format(), c.out);
        int seen = 0;
        ASSERT_TRUE(chain.Send(Flat(c.inWidth, c.inHeight, c.in, 128, 1234), [&](AVFrame& frame) {
            ++seen;
            EXPECT_EQ(frame.width, c.outWidth);
            EXPECT_EQ(frame.height, c.outHeight);
            EXPECT_EQ(frame.format, c.out);
            EXPECT_EQ(frame.pts, 1234);
            // Grey stays grey: luma about mid-way, chroma neutral, corners too.
            const int corners[][2] = {{0, 0}, {c.outWidth - 1, c.outHeight - 1}};
            for (const auto& at : corners) {
                EXPECT_NEAR(frame.data[0][at[1] * frame.linesize[0] + at[0]], 128, 3);
                EXPECT_NEAR(frame.data[1][at[1] / 2 * frame.linesize[1] + at[0] / 2], 128, 3);
            }
            return true;
        }));
        EXPECT_EQ(seen, 1);
    }
}

TEST(VideoChainTest, FollowsASourceThatChangesSizeMidStream) {
    VideoPlan plan;
    plan.width = 320;
    plan.height = 240;
    plan.format = AV_PIX_FMT_YUV420P;
    ChainRun run(plan, {1, 25}, 0, 1);
    int pts = 0;
    for (int width : {640, 160, 640})
        ASSERT_TRUE(run.Send(Flat(width, width * 3 / 4, AV_PIX_FMT_YUV420P, 128, pts++)));
    ASSERT_TRUE(run.Finish());
    ASSERT_EQ(run.out.size(), 3u);
    for (std::size_t i = 0; i < run.out.size(); ++i) {
        EXPECT_EQ(run.out[i].width, 320);
        EXPECT_EQ(run.out[i].height, 240);
        EXPECT_EQ(run.out[i].pts, static_cast<std::int64_t>(i));
    }
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
