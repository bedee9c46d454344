// How far a run is, from the written position, the duration and the time used.
#include <gtest/gtest.h>

#include "engine/RunProgress.h"

namespace {

using engine::MeasureProgress;
constexpr std::int64_t kSecond = 10'000'000;

TEST(RunProgress, HalfWrittenInTenSecondsNeedsTenMore) {
    const auto p = MeasureProgress(30 * kSecond, 60 * kSecond, 10);
    EXPECT_DOUBLE_EQ(p.fraction, 0.5);
    EXPECT_DOUBLE_EQ(p.speed, 3.0);
    EXPECT_EQ(p.secondsLeft, 10);
}

TEST(RunProgress, NothingIsToldBeforeAnythingIsWrittenOrTimeHasPassed) {
    for (const auto& p : {MeasureProgress(0, 60 * kSecond, 5), MeasureProgress(-1, 60 * kSecond, 5),
                          MeasureProgress(10 * kSecond, 0, 5), MeasureProgress(10 * kSecond, -1, 5)}) {
        EXPECT_EQ(p.fraction, 0);
        EXPECT_EQ(p.secondsLeft, -1);
        // Of a source of unknown length the time written and the speed are told.
        EXPECT_EQ(p.speed, p.known ? 0 : 2);
        EXPECT_EQ(p.writtenSeconds, p.known ? 0 : 10);
    }
    const auto early = MeasureProgress(6 * kSecond, 60 * kSecond, 0);
    EXPECT_DOUBLE_EQ(early.fraction, 0.1);
    EXPECT_EQ(early.secondsLeft, -1) << "no speed yet, so no time left";
}

TEST(RunProgress, WritingPastTheStatedDurationStopsAtTheWholeWithNothingLeft) {
    const auto p = MeasureProgress(61 * kSecond, 60 * kSecond, 20);
    EXPECT_DOUBLE_EQ(p.fraction, 1.0);
    EXPECT_EQ(p.secondsLeft, 0);
}

TEST(RunProgress, PartSecondsLeftRoundUp) {
    // 1 s of media per second with 0.2 s left: one second, never zero before the end.
    EXPECT_EQ(MeasureProgress(598'000'000, 60 * kSecond, 59.8).secondsLeft, 1);
}

}  // namespace
