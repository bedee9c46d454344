#include <gtest/gtest.h>

#include "app/StatusText.h"
#include "platform/Path.h"

namespace {

TEST(StatusText, TheClockShowsHoursMinutesSeconds) {
    EXPECT_EQ(app::ClockText(37259000000LL / 10000000), "01:02:05");
    EXPECT_EQ(app::ClockText(100 * 3600 + 61), "100:01:01");
    EXPECT_EQ(app::ClockText(0), "00:00:00");
}

TEST(StatusText, LinesKeepFiveBlanksAfterThePath) {
    EXPECT_EQ(app::SizedStatusLine("/v/out.avi", 640, 480),
              "Output file: /v/out.avi     Resolution: 640*480");
    EXPECT_EQ(app::EndStatusLine("Done", "/v/out.avi", 712, 400),
              "Done. Output file: /v/out.avi     Resolution: 712*400");
    EXPECT_EQ(app::ProgressStatusLine(3725), "Please wait... Used Time: 01:02:05");
}

TEST(StatusText, ARunShowsPercentAndTimeLeftAfterTheUsedTime) {
    EXPECT_EQ(app::RunProgressLine(12, 42, 17),
              "Please wait... Used Time: 00:00:12     42%     Time left: 00:00:17");
    EXPECT_EQ(app::RunProgressLine(3725, 99, 3661),
              "Please wait... Used Time: 01:02:05     99%     Time left: 01:01:01");
    EXPECT_EQ(app::RunProgressLine(0, 0, -1),
              "Please wait... Used Time: 00:00:00     0%     Time left: --:--:--");
    EXPECT_EQ(app::RunProgressCaption(42, "Quorvel Video Converter"),
              "42% – Quorvel Video Converter");
}

TEST(StatusText, TheSizeWrittenIsTheSourcesUnlessTheWriterScales) {
    const app::FrameSize source{718, 404};
    const auto kept = app::WrittenFrameSize(false, {712, 400}, source);
    EXPECT_EQ(kept.width, 718);
    EXPECT_EQ(kept.height, 404);
    const auto scaled = app::WrittenFrameSize(true, {321, 241}, source);
    EXPECT_EQ(scaled.width, 320) << "odd sides lose a line";
    EXPECT_EQ(scaled.height, 240);
    EXPECT_EQ(app::WrittenFrameSize(true, {1, 0}, source).width, 2);
    // MP4 keeps the source's size but never an odd side.
    const auto even = app::WrittenFrameSize(false, {712, 400}, {321, 241}, true);
    EXPECT_EQ(even.width, 320);
    EXPECT_EQ(even.height, 240);
    EXPECT_EQ(app::WrittenFrameSize(false, {712, 400}, source, true).width, 718);
}

TEST(StatusText, FolderOfKeepsTheTrailingSeparator) {
    EXPECT_EQ(paths::FolderOf("/home/u/clips/a.mp4"), "/home/u/clips/");
    EXPECT_EQ(paths::FolderOf("a.mp4"), "");
    EXPECT_EQ(paths::FileNameOf("/home/u/clips/a.mp4"), "a.mp4");
    EXPECT_EQ(paths::FileNameOf("a.mp4"), "a.mp4");
}

}  // namespace
