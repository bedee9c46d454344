#include "platform/media/Streaming.h"

#include <thread>

#include "platform/media/AudioEncodeStage.h"
#include "platform/media/DecodeStage.h"
#include "platform/media/DemuxStage.h"
#include "platform/media/MuxStage.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"
#include "platform/media/VideoEncodeStage.h"

namespace media::detail {
namespace {

// The queues of one route: demux to decode, decode to encode. Fewer, larger
// pictures wait than sound frames.
struct RouteQueues {
    explicit RouteQueues(bool video) : packets(video ? 32 : 64), frames(video ? 8 : 32) {}
    BoundedQueue<PacketPtr> packets;
    BoundedQueue<FramePtr> frames;
};

}  // namespace

struct Streamer::Impl {
    Impl(RunPlan p, std::shared_ptr<EventQueue> events)
        : plan(std::move(p)),
          status(std::move(events)),
          mux(*plan.mux, *plan.writer, muxQueue, status) {
        status.Watch(muxQueue);
    }

    HRESULT Prepare();
    HRESULT Refuse(HRESULT hr, const std::string& reason) {
        status.Fail(hr, reason);
        return hr;
    }

    RunPlan plan;
    BoundedQueue<MuxItem> muxQueue{128};
    RunStatus status;
    MuxStage mux;
    std::vector<std::unique_ptr<RouteQueues>> queues;
    std::vector<std::unique_ptr<StreamEncoder>> encoders;
    std::vector<std::unique_ptr<Stage>> stages;  // mux not among them: it is run last
    std::vector<std::thread> threads;
};

// Everything the threads need, opened on the calling thread.
HRESULT Streamer::Impl::Prepare() {
    if (HRESULT hr = mux.CreateFile(plan.source->path()); FAILED(hr)) return hr;
    AVFormatContext& source = *plan.source->input;
    const bool globalHeader = plan.mux->format()->flags & AVFMT_GLOBALHEADER;
    std::vector<DemuxStage::Output> demuxOutputs;
    std::vector<const StreamEncoder*> opened;
    for (std::size_t i = 0; i < plan.routes.size(); ++i) {
        const Route& route = plan.routes[i];
        const bool video = route.type == AVMEDIA_TYPE_VIDEO;
        AVStream& input = *source.streams[route.decoder->streamIndex];
        auto& q = *queues.emplace_back(std::make_unique<RouteQueues>(video));
        status.Watch(q.packets);
        status.Watch(q.frames);
        auto& encoder =
            *encoders.emplace_back(std::make_unique<StreamEncoder>(i, route, status, muxQueue));
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
            stages.push_back(
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
            stages.push_back(
                std::make_unique<AudioEncodeStage>(encoder, std::move(chain), q.frames));
        }
        opened.push_back(&encoder);
        demuxOutputs.push_back({route.decoder->streamIndex, &q.packets});
        stages.insert(stages.end() - 1, std::make_unique<DecodeStage>(*route.decoder->context,
                                                                      q.packets, q.frames, status));
    }
    stages.insert(stages.begin(),
                  std::make_unique<DemuxStage>(source, std::move(demuxOutputs), status));
    std::string reason;
    if (HRESULT hr = mux.Open(opened, reason); FAILED(hr)) return Refuse(hr, reason);
    return S_OK;
}

Streamer::Streamer(RunPlan plan, std::shared_ptr<EventQueue> events)
    : impl_(std::make_unique<Impl>(std::move(plan), std::move(events))) {}

Streamer::~Streamer() { Stop(); }

HRESULT Streamer::Start() {
    if (HRESULT hr = impl_->Prepare(); FAILED(hr)) return hr;
    // One thread per stage; each returns when its input ends, the run fails or Stop.
    for (auto& stage : impl_->stages) impl_->threads.emplace_back([&s = *stage] { s.Run(); });
    impl_->threads.emplace_back([&m = impl_->mux] { m.Run(); });
    return S_OK;
}

void Streamer::Stop() {
    if (impl_->plan.source->guard) impl_->plan.source->guard->stop = true;
    impl_->status.Stop();
    for (auto& t : impl_->threads)
        if (t.joinable()) t.join();
    impl_->threads.clear();
}

std::int64_t Streamer::Position() const { return impl_->status.position.load(); }

}  // namespace media::detail
