// Pictures brought to the encoder's size and format, with their times kept.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/media/VideoScaler.h"

namespace {

using media::detail::FramePtr;
using media::detail::VideoScaler;

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
        VideoScaler scaler(c.outWidth, c.outHeight, c.out);
        FramePtr frame = Grey(c.inWidth, c.inHeight, c.in);
        const AVFrame* before = frame.get();
        ASSERT_TRUE(scaler.Convert(frame));
        const bool fits = c.in == c.out && c.inWidth == c.outWidth && c.inHeight == c.outHeight;
        EXPECT_EQ(frame.get() == before, fits) << "a fitting picture is passed as it is";
        EXPECT_EQ(frame->width, c.outWidth);
        EXPECT_EQ(frame->height, c.outHeight);
        EXPECT_EQ(frame->format, c.out);
        EXPECT_EQ(frame->pts, 1234);
        EXPECT_EQ(frame->best_effort_timestamp, 1234);
        // Grey stays grey: luma about mid-way, chroma neutral, corners too.
        const int corners[][2] = {{0, 0}, {c.outWidth - 1, c.outHeight - 1}};
        for (const auto& at : corners) {
            EXPECT_NEAR(frame->data[0][at[1] * frame->linesize[0] + at[0]], 128, 3);
            EXPECT_NEAR(frame->data[1][at[1] / 2 * frame->linesize[1] + at[0] / 2], 128, 3);
        }
    }
}

TEST(VideoScalerTest, FollowsASourceThatChangesSizeMidStream) {
    VideoScaler scaler(320, 240, AV_PIX_FMT_YUV420P);
    for (int width : {640, 160, 640}) {
        FramePtr frame = Grey(width, width * 3 / 4, AV_PIX_FMT_YUV420P);
        ASSERT_TRUE(scaler.Convert(frame));
        EXPECT_EQ(frame->width, 320);
        EXPECT_EQ(frame->height, 240);
    }
}

}  // namespace
