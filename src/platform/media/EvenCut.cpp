#include "platform/media/EvenCut.h"

#include <algorithm>
#include <limits>

#include "platform/Time.h"

namespace media::detail {
namespace {

// Tracks this far apart are not held back for each other (FFmpeg's own
// interleaving gives up at the same distance).
constexpr std::int64_t kFarApart = 10 * kHundredNsPerSecond;

}  // namespace

std::optional<std::size_t> EvenCut::Earliest() const {
    std::optional<std::size_t> earliest;
    for (std::size_t route = 0; route < held_.size(); ++route)
        if (!held_[route].empty() &&
            (!earliest || held_[route].front().time < held_[*earliest].front().time))
            earliest = route;
    return earliest;
}

MuxItem EvenCut::Take(std::size_t route) {
    MuxItem item = std::move(held_[route].front().item);
    held_[route].pop_front();
    return item;
}

std::optional<MuxItem> EvenCut::Next(bool all) {
    const std::optional<std::size_t> earliest = Earliest();
    if (!earliest) return std::nullopt;
    if (all) return Take(*earliest);
    bool waiting = false;
    std::int64_t latest = std::numeric_limits<std::int64_t>::min();
    for (std::size_t route = 0; route < held_.size(); ++route) {
        waiting = waiting || (held_[route].empty() && !ended_[route]);
        if (!held_[route].empty()) latest = std::max(latest, held_[route].back().time);
    }
    if (waiting && latest - held_[*earliest].front().time < kFarApart) return std::nullopt;
    return Take(*earliest);
}

std::optional<MuxItem> EvenCut::NextBeforeCut() {
    std::optional<std::int64_t> cut;
    for (std::size_t route = 0; route < held_.size(); ++route)
        if (!ended_[route] && reached_[route])
            cut = std::min(cut.value_or(*reached_[route]), *reached_[route]);
    const std::optional<std::size_t> earliest = Earliest();
    if (!earliest || (cut && held_[*earliest].front().time > *cut)) return std::nullopt;
    return Take(*earliest);
}

}  // namespace media::detail
