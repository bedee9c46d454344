#include "platform/media/RunPass.h"

#include "platform/media/AudioEncodeStage.h"
#include "platform/media/DecodeStage.h"
#include "platform/media/DemuxStage.h"
#include "platform/media/VideoEncodeStage.h"

namespace media::detail {

// The queues of one route: demux to decode, decode to encode. Fewer, larger
// pictures wait than sound frames.
struct RunPass::RouteQueues {
    explicit RouteQueues(bool video) : packets(video ? 32 : 64), frames(video ? 8 : 32) {}
    BoundedQueue<PacketPtr> packets;
    BoundedQueue<FramePtr> frames;
};

void PacketCount::Run() {
    std::size_t ended = 0;
    MuxItem item;
    while (ended < routes_ && queue_.Pop(item)) {
        if (!item.packet) {
            ++ended;
            continue;
        }
        if (!sound[item.route]) continue;
        ++soundPackets;
        soundBytes += item.packet->size;
    }
}

RunPass::RunPass(const RunPlan& plan, std::shared_ptr<EventQueue> events, PassSetup video,
                 bool writes)
    : status(std::move(events)), plan_(plan), video_(std::move(video)) {
    status.Watch(muxQueue_);
    if (writes)
        mux_.emplace(*plan_.mux, *plan_.writer, muxQueue_, status);
    else
        count_ = std::make_unique<PacketCount>(muxQueue_, plan_.routes.size());
}

RunPass::~RunPass() {
    Stop();
    Join();
}

HRESULT RunPass::Refuse(HRESULT hr, const std::string& reason) {
    status.Fail(hr, reason);
    return hr;
}

// Everything the threads need, opened on the calling thread.
HRESULT RunPass::Prepare() {
    if (mux_)
        if (HRESULT hr = mux_->CreateFile(plan_.source->path()); FAILED(hr)) return hr;
    AVFormatContext& source = *plan_.source->input;
    const bool globalHeader = plan_.mux->format()->flags & AVFMT_GLOBALHEADER;
    std::vector<DemuxStage::Output> demuxOutputs;
    std::vector<const StreamEncoder*> opened;
    for (std::size_t i = 0; i < plan_.routes.size(); ++i) {
        const Route& route = plan_.routes[i];
        const bool video = route.type == AVMEDIA_TYPE_VIDEO;
        if (count_) count_->sound.push_back(!video);
        AVStream& input = *source.streams[route.decoder->streamIndex];
        auto& q = *queues_.emplace_back(std::make_unique<RouteQueues>(video));
        status.Watch(q.packets);
        status.Watch(q.frames);
        auto& encoder = *encoders_.emplace_back(std::make_unique<StreamEncoder>(
            i, route, status, muxQueue_, video ? video_ : PassSetup{}));
        for (const RunNote& note : route.notes) status.Note(note.kind, note.count);
        const std::int64_t start =
            av_rescale_q(source.start_time != AV_NOPTS_VALUE ? source.start_time : 0,
                         AVRational{1, AV_TIME_BASE}, input.time_base);
        const AVCodecContext& decoder = *route.decoder->context;
        std::string reason;
        if (video) {
            // The chain first, from the decoder's parameters: the encoder takes what it gives.
            const AVRational rate = av_guess_frame_rate(&source, &input, nullptr);
            const std::int64_t frameDuration =
                rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), input.time_base) : 0;
            auto chain =
                std::make_unique<VideoChain>(route.video, route.decoder->picture.sampleAspect,
                                             input.time_base, start, frameDuration, status);
            PictureIn in = PictureOf(decoder);
            if (in.format == AV_PIX_FMT_NONE)
                in.format = route.video.format;  // told by the first picture
            if (HRESULT hr = chain->Configure(in, reason); FAILED(hr)) return Refuse(hr, reason);
            const PictureOut picture{chain->width(), chain->height(), chain->format(),
                                     chain->sampleAspect(), chain->timeBase()};
            if (HRESULT hr = encoder.Open(picture, globalHeader, reason); FAILED(hr))
                return Refuse(hr, reason);
            stages_.push_back(
                std::make_unique<VideoEncodeStage>(encoder, std::move(chain), q.frames));
        } else {
            // The encoder first: its frame size is the chain's.
            if (HRESULT hr = encoder.Open(PictureOut{}, globalHeader, reason); FAILED(hr))
                return Refuse(hr, reason);
            const AVCodecContext& enc = *encoder.context();
            auto chain = std::make_unique<AudioChain>(
                route.sound,
                ChunkSize(enc.frame_size,
                          enc.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE),
                input.time_base, start, route.fillFromStart, status);
            if (HRESULT hr = chain->Configure(SoundOf(decoder), reason); FAILED(hr))
                return Refuse(hr, reason);
            stages_.push_back(
                std::make_unique<AudioEncodeStage>(encoder, std::move(chain), q.frames));
        }
        opened.push_back(&encoder);
        demuxOutputs.push_back({route.decoder->streamIndex, &q.packets});
        stages_.insert(
            stages_.end() - 1,
            std::make_unique<DecodeStage>(*route.decoder->context, q.packets, q.frames, status));
    }
    stages_.insert(stages_.begin(),
                   std::make_unique<DemuxStage>(source, std::move(demuxOutputs), status));
    std::string reason;
    if (mux_)
        if (HRESULT hr = mux_->Open(opened, reason); FAILED(hr)) return Refuse(hr, reason);
    return S_OK;
}

void RunPass::Launch() {
    // One thread per stage; each returns when its input ends, the run fails or Stop.
    for (auto& stage : stages_) threads_.emplace_back([&s = *stage] { s.Run(); });
    Stage& last = mux_ ? static_cast<Stage&>(*mux_) : *count_;
    threads_.emplace_back([&last] { last.Run(); });
}

void RunPass::Join() {
    for (auto& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

}  // namespace media::detail
