#pragma once
// The demux stage: reads the source's packets and hands each to its route's
// decode queue, or a subtitle's packet to its route.
//
// Thread: the demux thread owns the source's format context while the run
// streams (the starting thread opened it; nobody else reads it meanwhile).
// Stop: the source's ReadGuard breaks a blocked read, and the stop flag or an
// aborted queue ends the loop. Errors: out of memory fails the run; a read
// error ends the source like its end does, and sets RunStatus::endedEarly when
// less was read than the source's header states (or than the part's end), with
// the time reached from the part's start. A stream whose packets pass the
// part's end is ended there; once all have, reading stops.
#include <cstdint>
#include <vector>

#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"
#include "platform/media/SubtitleRoute.h"

namespace media::detail {

class DemuxStage final : public Stage {
public:
    // A stream's packets go to its decode queue, or to its subtitle route.
    struct Output {
        int streamIndex;
        BoundedQueue<PacketPtr>* packets;
        SubtitleRoute* subtitle;
    };
    // The part of the source a run converts, 100 ns from its start (stop 0: to its
    // end), and the packets read while seeking its start, passed on first.
    struct Part {
        std::int64_t origin = 0;
        std::int64_t stop = 0;
        std::vector<PacketPtr> lead;
    };
    DemuxStage(AVFormatContext& source, std::vector<Output> outputs, RunStatus& status,
               Part part)
        : source_(source), outputs_(std::move(outputs)), status_(status), part_(std::move(part)) {}

    void Run() override;

private:
    // The next packet: the lead's first, then the source's; av_read_frame's result.
    int Read(AVPacket& packet);
    // Whether the packet lies past the part's end (its stream then ends).
    bool PastStop(const AVPacket& packet) const;
    // The end the source's header states, 100 ns (0: none worth believing).
    std::int64_t StatedEnd() const;
    void NoteEnd(const AVPacket& packet);

    AVFormatContext& source_;
    std::vector<Output> outputs_;
    RunStatus& status_;
    Part part_;
    std::size_t nextLead_ = 0;
};

}  // namespace media::detail
