// FFmpeg's reasons, kept per thread for the step that caused them.
#include <gtest/gtest.h>

#include <thread>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include "platform/media/FfmpegLog.h"

namespace {

using media::detail::LogCapture;

class FfmpegLogTest : public ::testing::Test {
protected:
    void SetUp() override { media::detail::InstallFfmpegLog(); }
};

TEST_F(FfmpegLogTest, KeepsTheLastErrorLineElseTheCodesText) {
    {
        LogCapture capture;
        av_log(nullptr, AV_LOG_WARNING, "only a warning\n");
        EXPECT_EQ(capture.Reason(), "") << "warnings are no reason";
        EXPECT_EQ(capture.Reason(AVERROR(ENOSPC)), "No space left on device");
        av_log(nullptr, AV_LOG_ERROR, "first failure\n");
        av_log(nullptr, AV_LOG_ERROR, "dimensions too large for %s\n", "MPEG-4");
        EXPECT_EQ(capture.Reason(AVERROR(EINVAL)), "dimensions too large for MPEG-4")
            << "FFmpeg's own line says more than the code";
    }
    {
        LogCapture capture;
        av_log(nullptr, AV_LOG_ERROR, "a line in ");
        av_log(nullptr, AV_LOG_ERROR, "two pieces\n");
        av_log(nullptr, AV_LOG_FATAL, "unended");
        EXPECT_EQ(capture.Reason(), "unended");
    }
    {
        LogCapture capture;
        av_log(nullptr, AV_LOG_ERROR, "a line in ");
        av_log(nullptr, AV_LOG_ERROR, "two pieces\n");
        EXPECT_EQ(capture.Reason(), "a line in two pieces");
    }
    LogCapture fresh;
    EXPECT_EQ(fresh.Reason(), "") << "a new capture starts empty";
}

TEST_F(FfmpegLogTest, CapturesNestAndNeverCrossThreads) {
    LogCapture outer;
    {
        LogCapture inner;
        av_log(nullptr, AV_LOG_ERROR, "inner step\n");
        EXPECT_EQ(inner.Reason(), "inner step");
    }
    EXPECT_EQ(outer.Reason(), "") << "the inner step's line was its own";
    std::thread other([] { av_log(nullptr, AV_LOG_ERROR, "another run's failure\n"); });
    other.join();
    EXPECT_EQ(outer.Reason(), "");
    av_log(nullptr, AV_LOG_ERROR, "outer step\n");
    EXPECT_EQ(outer.Reason(), "outer step");
}

}  // namespace
