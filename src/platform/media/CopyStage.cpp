#include "platform/media/CopyStage.h"

#include <algorithm>

namespace media::detail {

OutputStream CopyStage::Describe(const AVStream& source) {
    OutputStream out;
    out.parameters.reset(avcodec_parameters_alloc());
    if (out.parameters) avcodec_parameters_copy(out.parameters.get(), source.codecpar);
    out.timeBase = source.time_base;
    out.frameRate = source.avg_frame_rate;
    out.sampleAspect = source.sample_aspect_ratio;
    out.video = source.codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    const AVRational rate = source.avg_frame_rate;
    if (out.video && rate.num > 0 && rate.den > 0)
        out.frameDuration = av_rescale_q(1, av_inv_q(rate), source.time_base);
    out.source = &source;
    for (int i = 0; i < source.nb_side_data; ++i) {
        const AVPacketSideData& side = source.side_data[i];
        out.sideData.emplace_back(side.type,
                                  std::vector<std::uint8_t>(side.data, side.data + side.size));
    }
    return out;
}

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
