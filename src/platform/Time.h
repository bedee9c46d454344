#pragma once
// Media times and durations are counted in 100 ns units, as the media
// interfaces the program is written against count them.
#include <cstdint>

inline constexpr std::int64_t kHundredNsPerSecond = 10'000'000;
