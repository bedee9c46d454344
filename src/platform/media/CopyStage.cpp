#include "platform/media/CopyStage.h"

#include <algorithm>

namespace media::detail {

void CopyStage::Run() {
    bool keyed = !video_;
    PacketPtr packet;
    while (packets_.Pop(packet)) {
        if (!packet) {
            mux_.Push(MuxItem{route_, nullptr});
            return;
        }
        keyed = keyed || (packet->flags & AV_PKT_FLAG_KEY);
        const std::int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const bool over = cut_ && !video_ && time != AV_NOPTS_VALUE &&
                          time + std::max<std::int64_t>(packet->duration, 0) <= origin_;
        if (!keyed || over) continue;
        if (packet->pts != AV_NOPTS_VALUE) packet->pts -= origin_;
        if (packet->dts != AV_NOPTS_VALUE) packet->dts -= origin_;
        if (!mux_.Push(MuxItem{route_, std::move(packet)})) return;
    }
}

}  // namespace media::detail
