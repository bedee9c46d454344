#pragma once
// The demux stage: reads the source's packets and hands each to its route's
// decode queue, or a subtitle's packet to its route.
//
// Thread: the demux thread owns the source's format context while the run
// streams (the starting thread opened it; nobody else reads it meanwhile).
// Stop: the source's ReadGuard breaks a blocked read, and the stop flag or an
// aborted queue ends the loop. Errors: out of memory fails the run; a read
// error ends the source like its end does, and sets RunStatus::endedEarly when
// less was read than the source's header states, with the time reached.
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
    DemuxStage(AVFormatContext& source, std::vector<Output> outputs, RunStatus& status)
        : source_(source), outputs_(std::move(outputs)), status_(status) {}

    void Run() override;

private:
    // The end the source's header states, 100 ns (0: none worth believing).
    std::int64_t StatedEnd() const;
    void NoteEnd(const AVPacket& packet);

    AVFormatContext& source_;
    std::vector<Output> outputs_;
    RunStatus& status_;
};

}  // namespace media::detail
