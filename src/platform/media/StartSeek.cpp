#include "platform/media/StartSeek.h"

#include <algorithm>

#include "platform/media/StreamTime.h"

namespace media::detail {
namespace {

std::int64_t TimeOf(const AVPacket& packet) {
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

}  // namespace

std::int64_t SourceStart(const AVFormatContext& source, AVRational timeBase) {
    const std::int64_t start = source.start_time != AV_NOPTS_VALUE ? source.start_time : 0;
    return av_rescale_q(start, AVRational{1, AV_TIME_BASE}, timeBase);
}

HRESULT SeekToStart(AVFormatContext& source, const std::vector<int>& streams, int lead,
                    bool leadKept, std::int64_t start, RunOpening& out) {
    const std::int64_t target = SourceStart(source, AVRational{1, AV_TIME_BASE}) +
                                av_rescale_q(start, kHundredNs, AVRational{1, AV_TIME_BASE});
    out.readThrough = avformat_seek_file(&source, -1, INT64_MIN, target, target, 0) < 0;
    const AVStream& leader = *source.streams[lead];
    const std::int64_t leadStart =
        av_rescale_q(target, AVRational{1, AV_TIME_BASE}, leader.time_base);
    std::int64_t keyTime = AV_NOPTS_VALUE;  // the lead's key frame the output starts from
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) return E_OUTOFMEMORY;
        int err;
        while ((err = av_read_frame(&source, packet.get())) == AVERROR(EAGAIN)) {
        }
        if (err < 0) return err == AVERROR(ENOMEM) ? E_OUTOFMEMORY : QV_E_START_PAST_END;
        if (std::find(streams.begin(), streams.end(), packet->stream_index) == streams.end())
            continue;
        const std::int64_t time = TimeOf(*packet);
        if (packet->stream_index == lead && time != AV_NOPTS_VALUE) {
            if ((packet->flags & AV_PKT_FLAG_KEY) && time <= leadStart) {
                // A later key frame before the start: what came before it is not needed,
                // but for sound that reaches past it.
                keyTime = time;
                std::erase_if(out.lead, [&](const PacketPtr& p) {
                    const AVStream& st = *source.streams[p->stream_index];
                    const std::int64_t t = TimeOf(*p);
                    return p->stream_index == lead || t == AV_NOPTS_VALUE ||
                           av_compare_ts(t + std::max<std::int64_t>(p->duration, 0), st.time_base,
                                         keyTime, leader.time_base) <= 0;
                });
            }
            const std::int64_t order = packet->dts != AV_NOPTS_VALUE ? packet->dts : time;
            out.lead.push_back(std::move(packet));
            if (order > leadStart) break;
            continue;
        }
        out.lead.push_back(std::move(packet));
    }
    out.origin = start;
    if (leadKept && keyTime != AV_NOPTS_VALUE)
        out.origin = std::clamp<std::int64_t>(
            av_rescale_q(keyTime, leader.time_base, kHundredNs) - SourceStart(source, kHundredNs),
            0, start);
    return S_OK;
}

}  // namespace media::detail
