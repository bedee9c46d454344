#pragma once
// The part of the source a run converts: Start and End as people write them
// (h:mm:ss.fff, empty for the whole source) and the checks both the Options
// dialog and the command line make before a run.
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// "1:20", "0:01:20.5", "80.25" or "1:02:03.004" to 100 ns units; false for
// anything else (negative, minutes or seconds past 59 after a colon, junk).
bool ParseClockTime(std::string_view text, std::int64_t& time);
// 100 ns units as "h:mm:ss.fff".
std::string ClockTimeText(std::int64_t time);

enum class CutCheck { Ok, BadText, Order, Outside };

// Reads Start and End (End empty, or `lengthText` as a length from Start, for
// the whole rest) against the source's `duration` (0: unknown, not checked).
// On Ok `start` and `stop` hold 100 ns (stop 0: the source's end).
CutCheck CheckCut(std::string_view startText, std::string_view endText, std::string_view lengthText,
                  std::int64_t duration, std::int64_t& start, std::int64_t& stop);
// Whether a part already read lies within a source of `duration` (0: unknown).
CutCheck CheckCutPlace(std::int64_t start, std::int64_t stop, std::int64_t duration);

// How long the part from `start` to `stop` (0: the end) of a source of
// `duration` is; 0 when unknown.
std::int64_t PartLength(std::int64_t start, std::int64_t stop, std::int64_t duration);

// The message for a failed check, in the interface's language.
std::string CutCheckText(CutCheck check, std::int64_t duration);

}  // namespace engine
