#include "platform/media/DemuxStage.h"

#include <algorithm>

#include "platform/media/StreamTime.h"

namespace media::detail {

void DemuxStage::Run() {
    std::vector<BoundedQueue<PacketPtr>*> queueOf(source_.nb_streams, nullptr);
    for (const Output& out : outputs_) queueOf[out.streamIndex] = out.packets;
    PacketPtr packet(av_packet_alloc());
    if (!packet) return status_.Fail(E_OUTOFMEMORY);
    while (!status_.stopping()) {
        const int err = av_read_frame(&source_, packet.get());
        if (err == AVERROR(EAGAIN)) continue;
        if (err < 0) {
            // The end of the file, or the end of what a damaged file lets us read.
            // What could be read is kept either way; the end says whether that was all.
            const bool readFault = err != AVERROR_EOF && source_.pb && source_.pb->error &&
                                   source_.pb->error != AVERROR_EOF;
            const std::int64_t stated = StatedEnd();
            const std::int64_t slack = std::max<std::int64_t>(kHundredNsPerSecond, stated / 100);
            if (readFault || (stated > 0 && status_.reached.load() < stated - slack))
                status_.endedEarly = true;
            break;
        }
        BoundedQueue<PacketPtr>* queue = packet->stream_index < static_cast<int>(queueOf.size())
                                             ? queueOf[packet->stream_index]
                                             : nullptr;
        if (!queue) {
            av_packet_unref(packet.get());
            continue;
        }
        NoteEnd(*packet);
        PacketPtr queued(av_packet_alloc());
        if (!queued) return status_.Fail(E_OUTOFMEMORY);
        av_packet_move_ref(queued.get(), packet.get());
        if (!queue->Push(std::move(queued))) return;
    }
    for (const Output& out : outputs_) out.packets->Push(nullptr);
}

void DemuxStage::NoteEnd(const AVPacket& packet) {
    const std::int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (time == AV_NOPTS_VALUE) return;
    const AVStream* st = source_.streams[packet.stream_index];
    const std::int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const std::int64_t end = av_rescale_q(time + std::max<std::int64_t>(packet.duration, 0) - start,
                                          st->time_base, kHundredNs);
    if (end > status_.reached.load()) status_.reached.store(end);
}

std::int64_t DemuxStage::StatedEnd() const {
    // A length guessed from the bitrate is no promise.
    if (source_.duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0;
    std::int64_t longest = 0;
    for (const Output& out : outputs_) {
        const AVStream* st = source_.streams[out.streamIndex];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, av_rescale_q(st->duration, st->time_base, kHundredNs));
    }
    if (longest == 0 && source_.duration != AV_NOPTS_VALUE && source_.duration > 0)
        longest = av_rescale_q(source_.duration, AVRational{1, AV_TIME_BASE}, kHundredNs);
    return longest;
}

}  // namespace media::detail
