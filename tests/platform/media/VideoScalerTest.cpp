// Pictures brought to the encoder's size and format by the video filter chain,
// with their times kept.
#include <gtest/gtest.h>

#include <cstring>

#include "MediaTestSupport.h"

namespace {

using media::detail::FramePtr;
using media::detail::VideoPlan;

// The picture through a chain to this size and format; whether the chain had
// nothing to do in `passed`.
bool Convert(FramePtr& frame, int width, int height, AVPixelFormat format, bool* passed = nullptr) {
    VideoPlan plan;
    plan.width = width;
    plan.height = height;
    plan.format = format;
    std::vector<FramePtr> in;
    in.push_back(std::move(frame));
    std::string text;
    auto out = mediatest::ThroughVideoChain(plan, {1, 25}, 0, 1, std::move(in), &text);
    if (passed) *passed = text == "null";
    if (out.size() != 1) return false;
    frame = std::move(out.front());
    return true;
}

// A flat mid-grey picture.
FramePtr Grey(int width, int height, AVPixelFormat format) {
    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = format;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < AV_NUM_DATA_POINTERS && frame->buf[p]; ++p)
        std::memset(frame->buf[p]->data, 128, frame->buf[p]->size);
    frame->pts = 1234;
    frame->best_effort_timestamp = 1234;
    return frame;
}

TEST(VideoScalerTest, ConvertsSizeAndFormatAndKeepsTimesAndTone) {
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
        FramePtr frame = Grey(c.inWidth, c.inHeight, c.in);
        bool passed = false;
        ASSERT_TRUE(Convert(frame, c.outWidth, c.outHeight, c.out, &passed));
        const bool fits = c.in == c.out && c.inWidth == c.outWidth && c.inHeight == c.outHeight;
        EXPECT_EQ(passed, fits) << "a fitting picture is passed as it is";
        EXPECT_EQ(frame->width, c.outWidth);
        EXPECT_EQ(frame->height, c.outHeight);
        EXPECT_EQ(frame->format, c.out);
        EXPECT_EQ(frame->pts, 1234);
        // Grey stays grey: luma about mid-way, chroma neutral, corners too.
        const int corners[][2] = {{0, 0}, {c.outWidth - 1, c.outHeight - 1}};
        for (const auto& at : corners) {
            EXPECT_NEAR(frame->data[0][at[1] * frame->linesize[0] + at[0]], 128, 3);
            EXPECT_NEAR(frame->data[1][at[1] / 2 * frame->linesize[1] + at[0] / 2], 128, 3);
        }
    }
}

TEST(VideoScalerTest, FollowsASourceThatChangesSizeMidStream) {
    VideoPlan plan;
    plan.width = 320;
    plan.height = 240;
    plan.format = AV_PIX_FMT_YUV420P;
    std::vector<FramePtr> pictures;
    for (int width : {640, 160, 640}) {
        pictures.push_back(Grey(width, width * 3 / 4, AV_PIX_FMT_YUV420P));
        pictures.back()->best_effort_timestamp = static_cast<std::int64_t>(pictures.size());
    }
    const auto frames = mediatest::ThroughVideoChain(plan, {1, 25}, 0, 1, std::move(pictures));
    ASSERT_EQ(frames.size(), 3u);
    for (const FramePtr& frame : frames) {
        EXPECT_EQ(frame->width, 320);
        EXPECT_EQ(frame->height, 240);
    }
}

// A step the picture can do without, refused, is left out and said: two lines
// are too few for the deinterlacer.
TEST(VideoScalerTest, ARefusedDeinterlacerIsLeftOutAndSaid) {
    VideoPlan plan;
    plan.width = 16;
    plan.height = 2;
    plan.format = AV_PIX_FMT_YUV420P;
    plan.deinterlace = true;
    std::vector<FramePtr> pictures;
    pictures.push_back(Grey(16, 2, AV_PIX_FMT_YUV420P));
    std::string text;
    std::vector<media::RunNote> notes;
    EXPECT_EQ(mediatest::ThroughVideoChain(plan, {1, 25}, 0, 1, std::move(pictures), &text, &notes)
                  .size(),
              1u);
    EXPECT_EQ(text.find("bwdif"), std::string::npos) << text;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, media::RunNoteKind::NotDeinterlaced);
}

}  // namespace
