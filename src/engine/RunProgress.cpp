#include "engine/RunProgress.h"

#include <algorithm>
#include <cmath>

namespace engine {

RunProgress MeasureProgress(std::int64_t written, std::int64_t duration, double elapsedSeconds) {
    RunProgress progress;
    if (duration <= 0 || written <= 0) return progress;
    progress.fraction = std::clamp(static_cast<double>(written) / duration, 0.0, 1.0);
    if (elapsedSeconds <= 0) return progress;
    progress.speed = written / 1e7 / elapsedSeconds;
    const double left = (duration - std::min(written, duration)) / 1e7 / progress.speed;
    progress.secondsLeft = static_cast<std::int64_t>(std::ceil(left));
    return progress;
}

}  // namespace engine
