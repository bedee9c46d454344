#pragma once
#include <cstdint>

namespace engine {

// Facts of the opened source.
struct SourceInfo {
    std::int64_t duration = 0;  // 100 ns units
    int width = 352;
    int height = 288;
    double frameRate = 23.976;
};

}  // namespace engine
