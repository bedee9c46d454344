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
        std::string reason;
        if (HRESULT hr = encoder.Open(source, input, globalHeader, reason); FAILED(hr))
            return Refuse(hr, reason);
        opened.push_back(&encoder);
        demuxOutputs.push_back({route.decoder->streamIndex, &q.packets});
        stages.push_back(
            std::make_unique<DecodeStage>(*route.decoder->context, q.packets, q.frames, status));
        if (video) {
            stages.push_back(
                std::make_unique<VideoEncodeStage>(encoder, q.frames, status, source, input));
        } else {
            auto audio =
                std::make_unique<AudioEncodeStage>(encoder, q.frames, status, source, input);
            if (!audio->ok()) return E_OUTOFMEMORY;
            stages.push_back(std::move(audio));
        }
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
