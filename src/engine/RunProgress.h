#pragma once
// How far a run is and how it ended: shared by the window, the command line and
// the benchmark.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/media/FilterGraph.h"

namespace engine {

struct RunProgress {
    bool known = true;                  // the source states its length
    std::int64_t writtenSeconds = 0;    // media written
    double fraction = 0;                // 0..1 of the source written
    std::int64_t secondsLeft = -1;      // -1 while it cannot be told yet
    double speed = 0;                   // media seconds written per wall-clock second
};

// `written` and `duration` in 100 ns units (a duration of 0 is unknown: the
// progress is then the time written), `elapsedSeconds` of wall-clock time.
RunProgress MeasureProgress(std::int64_t written, std::int64_t duration, double elapsedSeconds);

struct RunEnd {
    long code = 0;                // EC_COMPLETE, EC_ERRORABORT, EC_USERABORT
    HRESULT result = S_OK;        // the end event's code (QV_S_SOURCE_ENDED_EARLY too)
    std::int64_t reached = 0;     // with an early end: where the source gave out, 100 ns
    std::string reason;           // with a failure: the media library's own words, or ""
    std::vector<media::RunNote> notes;  // what the run went without or worked around
};

// Reads the end event out of the queue of a run that finished with `code`.
RunEnd ReadRunEnd(media::MediaEventEx& events, long code);

// A failure's message: the step's own text, and below it the reason the media
// library gave (as it gave it), when there is one.
std::string WithReason(const std::string& message, const std::string& reason);

}  // namespace engine
