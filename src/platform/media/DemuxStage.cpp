#include "platform/media/DemuxStage.h"

#include <algorithm>

#include "platform/media/StartSeek.h"
#include "platform/media/StreamTime.h"

namespace media::detail {

void DemuxStage::Run() {
    std::vector<const Output*> outputOf(source_.nb_streams, nullptr);
    for (const Output& out : outputs_) outputOf[out.streamIndex] = &out;
    // Streams that begin midway (a broadcast adding a programme) are not converted;
    // the run says how many there were.
    const unsigned known = source_.nb_streams;
    std::vector<bool> leftOut;
    PacketPtr packet(av_packet_alloc());
    if (!packet) return status_.Fail(E_OUTOFMEMORY);
    // The subtitles end with the last of the others: a part's end is not waited for
    // in a sparse track.
    std::size_t open = static_cast<std::size_t>(std::count_if(
        outputs_.begin(), outputs_.end(), [](const Output& o) { return o.packets != nullptr; }));
    while (!status_.stopping() && open > 0) {
        const int err = Read(*packet);
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
        const Output* out = packet->stream_index < static_cast<int>(outputOf.size())
                                ? outputOf[packet->stream_index]
                                : nullptr;
        if (out && out->subtitle) {
            if (!PastStop(*packet) && !out->subtitle->Pass(*packet)) return;
            av_packet_unref(packet.get());
            continue;
        }
        if (!out) {
            if (packet->stream_index >= static_cast<int>(known)) {
                const auto index = static_cast<std::size_t>(packet->stream_index) - known;
                if (leftOut.size() <= index) leftOut.resize(index + 1, false);
                leftOut[index] = true;
            }
            av_packet_unref(packet.get());
            continue;
        }
        if (PastStop(*packet)) {
            // Its stream has what the part needs: ended now, the rest passed over.
            const int ended = packet->stream_index;
            av_packet_unref(packet.get());
            outputOf[static_cast<std::size_t>(ended)] = nullptr;
            for (Output& o : outputs_)
                if (o.streamIndex == ended && o.packets) {
                    if (!o.packets->Push(nullptr)) return;
                    o.packets = nullptr;
                    --open;
                }
            continue;
        }
        NoteEnd(*packet);
        PacketPtr queued(av_packet_alloc());
        if (!queued) return status_.Fail(E_OUTOFMEMORY);
        av_packet_move_ref(queued.get(), packet.get());
        if (!out->packets->Push(std::move(queued))) return;
    }
    if (const auto count = std::count(leftOut.begin(), leftOut.end(), true))
        status_.Note(RunNoteKind::StreamsLeftOut, count);
    for (const Output& out : outputs_) {
        if (out.subtitle)
            out.subtitle->Finish();
        else if (out.packets)
            out.packets->Push(nullptr);
    }
}

int DemuxStage::Read(AVPacket& packet) {
    if (nextLead_ < part_.lead.size()) {
        av_packet_move_ref(&packet, part_.lead[nextLead_++].get());
        return 0;
    }
    part_.lead.clear();
    return av_read_frame(&source_, &packet);
}

bool DemuxStage::PastStop(const AVPacket& packet) const {
    const std::int64_t time = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
    if (part_.stop <= 0 || time == AV_NOPTS_VALUE) return false;
    const AVStream& st = *source_.streams[packet.stream_index];
    return av_compare_ts(time, st.time_base,
                         SourceStart(source_, kHundredNs) + part_.stop, kHundredNs) >= 0;
}

void DemuxStage::NoteEnd(const AVPacket& packet) {
    const std::int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (time == AV_NOPTS_VALUE) return;
    const AVStream* st = source_.streams[packet.stream_index];
    const std::int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const std::int64_t end = av_rescale_q(time + std::max<std::int64_t>(packet.duration, 0) - start,
                                          st->time_base, kHundredNs) -
                             part_.origin;
    if (end > status_.reached.load()) status_.reached.store(end);
}

std::int64_t DemuxStage::StatedEnd() const {
    // A length guessed from the bitrate is no promise.
    if (source_.duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0;
    std::vector<int> streams;
    for (const Output& out : outputs_)
        if (out.packets) streams.push_back(out.streamIndex);
    const std::int64_t stated = StatedDuration(source_, streams, true);
    if (stated <= 0) return 0;
    return (part_.stop > 0 ? std::min(stated, part_.stop) : stated) - part_.origin;
}

}  // namespace media::detail
