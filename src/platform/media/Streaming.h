#pragma once
// The streaming engine behind MediaControl::Run: a run in stages, each a class of
// its own on a thread of its own, joined by bounded queues so memory stays flat
// and a slow encoder holds the reader back.
//
//   demux ─┬▶ decode ─▶ video encode (filter chain) ─┬▶ mux ─▶ file
//          ├▶ decode ─▶ audio encode (filter chain) ─┤
//          └▶ copy (a kept stream) ──────────────────┘
//   (packets)        (frames)                     (packets)
//
// A cut run seeks to its start first (StartSeek); the decode stages leave out
// the frames outside the part (FrameCut), the demux stage ends each stream at
// the part's end.
// The starting thread opens the encoders and the file and writes the header;
// the threads then own their stage's data alone (see each stage's header).
// Failures and Stop travel through RunStatus, which aborts every queue; the mux
// stage finalises the file and posts the end event last. A file asked of a size
// is two passes over the source (see SizedRun); any other run is one (RunPass).
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/EventQueue.h"
#include "platform/media/Internal.h"
#include "platform/media/RunPass.h"

namespace media::detail {

class Streamer {
public:
    Streamer(RunPlan plan, std::shared_ptr<EventQueue> events);
    ~Streamer();
    Streamer(const Streamer&) = delete;
    Streamer& operator=(const Streamer&) = delete;

    // Opens the encoders and the output file, writes the header and starts the
    // threads. On failure nothing runs, no partial file is left, and the event
    // queue holds FFmpeg's reason when it gave one.
    HRESULT Start();
    // Halts every thread; the file is finalised and closed when this returns.
    void Stop();
    // Stream time written so far, 100 ns units.
    std::int64_t Position() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace media::detail
