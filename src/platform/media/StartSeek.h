#pragma once
// Finding where a cut run starts reading, on the thread that starts the run.
//
// The source is sought to the key frame at or before the start (by time; a
// source that cannot seek is read from its beginning instead), and read on
// until the lead stream (the first video route, else the first route) passes
// the start. What was read from the lead's last key frame at or before the
// start onwards is handed to the demux stage to be passed on first, so nothing
// is read twice and a source that cannot seek is still read only once.
#include <cstdint>
#include <vector>

#include "platform/media/Internal.h"

namespace media::detail {

struct RunOpening {
    std::vector<PacketPtr> lead;  // read while looking; demuxed first
    // Where the output's zero lies in the source, 100 ns from its start: the
    // start itself, or the lead's key frame before it when the lead is kept.
    std::int64_t origin = 0;
    bool readThrough = false;  // the source could not seek
};

// `streams`: the routes' stream indices; `lead` one of them; `start` 100 ns from
// the source's start. QV_E_START_PAST_END when the source holds nothing there;
// E_OUTOFMEMORY.
HRESULT SeekToStart(AVFormatContext& source, const std::vector<int>& streams, int lead,
                    bool leadKept, std::int64_t start, RunOpening& out);

// The source's start, in `timeBase`.
std::int64_t SourceStart(const AVFormatContext& source, AVRational timeBase);

}  // namespace media::detail
