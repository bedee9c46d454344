#include "platform/media/Streaming.h"

#include <thread>

#include "platform/media/AudioEncodeStage.h"
#include "platform/media/CopyStage.h"
#include "platform/media/DecodeStage.h"
#include "platform/media/DemuxStage.h"
#include "platform/media/MuxStage.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StartSeek.h"
#include "platform/media/StreamTime.h"
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

    HRESULT Open(DemuxStage::Part& part);
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

// Where a cut run starts: sought before anything is written, so that a start
// past what the source holds is refused with no file made.
HRESULT Streamer::Impl::Open(DemuxStage::Part& part) {
    AVFormatContext& source = *plan.source->input;
    part.origin = 0;
    part.stop = plan.stop;
    if (plan.start <= 0) return S_OK;
    std::vector<int> streams;
    int lead = -1;
    bool leadKept = false;
    for (const Route& route : plan.routes) {
        streams.push_back(route.decoder->streamIndex);
        if (lead < 0 || (route.type == AVMEDIA_TYPE_VIDEO &&
                         source.streams[lead]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)) {
            lead = route.decoder->streamIndex;
            leadKept = route.keep != nullptr;
        }
    }
    RunOpening opening;
    if (HRESULT hr = SeekToStart(source, streams, lead, leadKept, plan.start, opening); FAILED(hr))
        return Refuse(hr, {});
    if (opening.readThrough) status.Note(RunNoteKind::ReadThrough);
    if (opening.origin < plan.start) status.Note(RunNoteKind::KeptFromKeyFrame, opening.origin);
    part.origin = opening.origin;
    part.lead = std::move(opening.lead);
    return S_OK;
}

// Everything the threads need, opened on the calling thread.
HRESULT Streamer::Impl::Prepare() {
    DemuxStage::Part part;
    if (HRESULT hr = Open(part); FAILED(hr)) return hr;
    if (HRESULT hr = mux.CreateFile(plan.source->path()); FAILED(hr)) return hr;
    AVFormatContext& source = *plan.source->input;
    const bool globalHeader = plan.mux->format()->flags & AVFMT_GLOBALHEADER;
    const bool cut = plan.start > 0 || plan.stop > 0;
    std::vector<DemuxStage::Output> demuxOutputs;
    std::vector<MuxStage::Input> muxInputs;
    for (std::size_t i = 0; i < plan.routes.size(); ++i) {
        const Route& route = plan.routes[i];
        const bool video = route.type == AVMEDIA_TYPE_VIDEO;
        AVStream& input = *source.streams[route.decoder->streamIndex];
        auto& q = *queues.emplace_back(std::make_unique<RouteQueues>(video));
        status.Watch(q.packets);
        status.Watch(q.frames);
        for (const RunNote& note : route.notes) status.Note(note.kind, note.count);
        demuxOutputs.push_back({route.decoder->streamIndex, &q.packets});
        // The output's zero, in the stream's time base.
        auto at = [&](std::int64_t time) {
            return SourceStart(source, input.time_base) +
                   av_rescale_q(time, kHundredNs, input.time_base);
        };
        const std::int64_t start = at(part.origin);
        if (route.keep) {
            stages.push_back(
                std::make_unique<CopyStage>(i, video, start, cut, q.packets, muxQueue));
            muxInputs.push_back({nullptr, &input});
            continue;
        }
        auto& encoder =
            *encoders.emplace_back(std::make_unique<StreamEncoder>(i, route, status, muxQueue));
        const AVCodecContext& decoder = *route.decoder->context;
        const AVRational rate = av_guess_frame_rate(&source, &input, nullptr);
        const std::int64_t frameDuration =
            video && rate.num > 0 && rate.den > 0
                ? av_rescale_q(1, av_inv_q(rate), input.time_base)
                : 0;
        std::string reason;
        if (video) {
            // The chain first, from the decoder's parameters: the encoder takes what it gives.
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
        muxInputs.push_back({&encoder, nullptr});
        std::optional<FrameCut> frameCut;
        if (cut)
            frameCut.emplace(input.time_base, start, plan.stop > 0 ? at(plan.stop) : INT64_MAX,
                             frameDuration);
        stages.insert(stages.end() - 1,
                      std::make_unique<DecodeStage>(*route.decoder->context, q.packets, q.frames,
                                                    status, frameCut));
    }
    stages.insert(stages.begin(), std::make_unique<DemuxStage>(source, std::move(demuxOutputs),
                                                               status, std::move(part)));
    std::string reason;
    if (HRESULT hr = mux.Open(muxInputs, reason); FAILED(hr)) return Refuse(hr, reason);
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
