#include "engine/RunProgress.h"

#include <algorithm>
#include <cmath>

#include "platform/Time.h"
#include "platform/media/FilterGraph.h"

namespace engine {

RunProgress MeasureProgress(std::int64_t written, std::int64_t duration, double elapsedSeconds) {
    RunProgress progress;
    progress.known = duration > 0;
    progress.writtenSeconds = std::max<std::int64_t>(written, 0) / kHundredNsPerSecond;
    if (written <= 0) return progress;
    if (progress.known) progress.fraction = std::clamp(static_cast<double>(written) / duration, 0.0, 1.0);
    if (elapsedSeconds <= 0) return progress;
    progress.speed = written / static_cast<double>(kHundredNsPerSecond) / elapsedSeconds;
    if (!progress.known) return progress;
    const double left = (duration - std::min(written, duration)) /
                        static_cast<double>(kHundredNsPerSecond) / progress.speed;
    progress.secondsLeft = static_cast<std::int64_t>(std::ceil(left));
    return progress;
}

RunEnd ReadRunEnd(media::MediaEventEx& events, long code) {
    RunEnd end{code, S_OK, 0, {}, {}};
    long event = 0;
    media::LONG_PTR p1 = 0, p2 = 0;
    while (SUCCEEDED(events.GetEvent(event, p1, p2, 0))) {
        if (event == media::EC_COMPLETE || event == media::EC_ERRORABORT) {
            end.result = static_cast<HRESULT>(p1);
            end.reached = p2;
        }
        events.FreeEventParams(event, p1, p2);
    }
    if (FAILED(end.result) || code == media::EC_ERRORABORT) end.reason = events.FailureReason();
    end.notes = events.RunNotes();
    return end;
}

std::string WithReason(const std::string& message, const std::string& reason) {
    return reason.empty() ? message : message + "\n" + reason;
}

}  // namespace engine
