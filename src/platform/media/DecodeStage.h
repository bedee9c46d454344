#pragma once
// The decode stage of one stream: packets in, pictures or sound out.
//
// Thread: its decode thread owns the decoder's context while the run streams.
// Stop and failures reach it through its two queues, which RunStatus aborts.
// Errors: out of memory fails the run; a packet the decoder refuses is damaged
// and skipped, as players do, and counted with the pictures it patched up: the
// count is the run's note at the end. An empty packet is the end: the decoder
// is drained and an empty frame passes the end on. A cut run leaves out what
// lies outside its part here (FrameCut), before the frames cross to the encoder.
#include <optional>

#include "platform/media/FrameCut.h"
#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"

namespace media::detail {

class DecodeStage final : public Stage {
public:
    DecodeStage(AVCodecContext& decoder, BoundedQueue<PacketPtr>& packets,
                BoundedQueue<FramePtr>& frames, RunStatus& status,
                std::optional<FrameCut> cut = std::nullopt)
        : decoder_(decoder), packets_(packets), frames_(frames), status_(status), cut_(cut) {}

    void Run() override;

private:
    AVCodecContext& decoder_;
    BoundedQueue<PacketPtr>& packets_;
    BoundedQueue<FramePtr>& frames_;
    RunStatus& status_;
    std::optional<FrameCut> cut_;
    std::int64_t damaged_ = 0;
};

}  // namespace media::detail
