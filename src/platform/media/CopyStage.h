#pragma once
// The copy stage of a kept stream: the source's packets go on to the mux queue
// as they are, their times moved so that the output's zero is the part's start.
// Packets that end before it are left out (sound reaching into it stays), and
// so are pictures before the first key frame, which nothing could show.
//
// Thread: its own; it owns nothing but its place in the stream. Stop and
// failures reach it through its queues, which RunStatus aborts. An empty packet
// is the end, passed on to the multiplexer.
#include <cstddef>
#include <cstdint>

#include "platform/media/Internal.h"
#include "platform/media/OutputStream.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"

namespace media::detail {

class CopyStage final : public Stage {
public:
    // `origin`: the output's zero in the stream's time base; `cut`: the run
    // converts a part, so sound that ends before the zero is left out (a whole
    // source keeps its encoder's priming).
    CopyStage(std::size_t route, bool video, std::int64_t origin, bool cut,
              BoundedQueue<PacketPtr>& packets, BoundedQueue<MuxItem>& mux)
        : route_(route), video_(video), origin_(origin), cut_(cut), packets_(packets), mux_(mux) {}

    // The output stream of a kept `source`: as the source has it.
    static OutputStream Describe(const AVStream& source);

    void Run() override;

private:
    std::size_t route_;
    bool video_;
    std::int64_t origin_;
    bool cut_;
    BoundedQueue<PacketPtr>& packets_;
    BoundedQueue<MuxItem>& mux_;
};

}  // namespace media::detail
