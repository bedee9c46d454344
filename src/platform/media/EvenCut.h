#pragma once
// Holds each sound and picture packet until every other running sound and picture
// track has reached its time. Encoders run at different depths (a picture encoder
// looks ahead many frames), so without this a stopped run would end its sound
// tracks a second or more after its picture; with it, a stopped run writes what
// is held only up to the point every running track has reached, and every track
// ends there.
//
// Owned by the mux thread alone. Subtitles are sparse and never held.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/media/StreamEncoder.h"

namespace media::detail {

class EvenCut {
public:
    // `paced`: per route, whether it is sound or picture (held and waited for).
    explicit EvenCut(const std::vector<bool>& paced)
        : held_(paced.size()), ended_(paced.size()), reached_(paced.size()) {
        for (std::size_t route = 0; route < paced.size(); ++route) ended_[route] = !paced[route];
    }

    // A packet of a sound or picture route, with its time (100 ns).
    void Hold(std::int64_t time, MuxItem item) {
        const std::size_t route = item.route;
        if (!reached_[route] || time > *reached_[route]) reached_[route] = time;
        held_[route].push_back({time, std::move(item)});
    }
    // The route has ended: no packet of it is waited for any more.
    void End(std::size_t route) { ended_[route] = true; }
    // The earliest held packet once every running route has reached it (or when
    // the tracks are far apart: a picture that pauses holds nothing back long);
    // with `all`, whatever is held, in time order.
    std::optional<MuxItem> Next(bool all);
    // After a stop: the earliest held packet up to where every running track that
    // has delivered anything had come (a track that has delivered nothing yet, a
    // picture encoder still filling its look-ahead, holds nothing back).
    std::optional<MuxItem> NextBeforeCut();

private:
    struct Held {
        std::int64_t time;
        MuxItem item;
    };
    std::optional<std::size_t> Earliest() const;  // the route whose held packet is earliest
    MuxItem Take(std::size_t route);
    std::vector<std::deque<Held>> held_;
    std::vector<bool> ended_;
    std::vector<std::optional<std::int64_t>> reached_;
};

}  // namespace media::detail
