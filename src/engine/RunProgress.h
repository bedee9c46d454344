#pragma once
// How far a run is: shared by the window's progress field and the command line.
#include <cstdint>

namespace engine {

struct RunProgress {
    double fraction = 0;                // 0..1 of the source written
    std::int64_t secondsLeft = -1;      // -1 while it cannot be told yet
    double speed = 0;                   // media seconds written per wall-clock second
};

// `written` and `duration` in 100 ns units, `elapsedSeconds` of wall-clock time.
RunProgress MeasureProgress(std::int64_t written, std::int64_t duration, double elapsedSeconds);

}  // namespace engine
