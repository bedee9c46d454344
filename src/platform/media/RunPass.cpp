#include "platform/media/RunPass.h"

#include <algorithm>

#include "platform/media/AudioEncodeStage.h"
#include "platform/media/CopyStage.h"
#include "platform/media/DecodeStage.h"
#include "platform/media/StartSeek.h"
#include "platform/media/StreamTime.h"
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
    while (ended < sound.size() && queue_.Pop(item)) {
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
        count_ = std::make_unique<PacketCount>(muxQueue_);
}

RunPass::~RunPass() {
    Stop();
    Join();
}

HRESULT RunPass::Refuse(HRESULT hr, const std::string& reason) {
    status.Fail(hr, reason);
    return hr;
}

// Where a cut run starts: sought before anything is written, so that a start
// past what the source holds is refused with no file made.
HRESULT RunPass::Open(DemuxStage::Part& part, const std::vector<StreamPlan>& plans) {
    AVFormatContext& source = *plan_.source->input;
    part.origin = 0;
    part.stop = plan_.stop;
    if (plan_.start <= 0) return S_OK;
    std::vector<int> read;
    int lead = -1;
    bool leadKept = false;
    for (const Route& route : plan_.routes) {
        read.push_back(route.decoder->streamIndex);
        if (lead < 0 || (route.type == AVMEDIA_TYPE_VIDEO &&
                         source.streams[lead]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)) {
            lead = route.decoder->streamIndex;
            leadKept = route.keep != nullptr;
        }
    }
    // A subtitle's cues read while seeking are the part's too.
    for (const StreamPlan& stream : plans)
        if (stream.type == AVMEDIA_TYPE_SUBTITLE && stream.fate != StreamFate::LeaveOut)
            read.push_back(stream.source);
    RunOpening opening;
    if (HRESULT hr = SeekToStart(source, read, lead, leadKept, plan_.start, opening); FAILED(hr))
        return Refuse(hr, {});
    if (opening.readThrough) status.Note(RunNoteKind::ReadThrough);
    if (opening.origin < plan_.start) status.Note(RunNoteKind::KeptFromKeyFrame, opening.origin);
    part.origin = opening.origin;
    part.lead = std::move(opening.lead);
    return S_OK;
}

// Every further sound track of the source goes the first one's way: kept as it
// is, or the same compressor with the same settings, its own decoder and chain.
// Sound tracks are written in the source's order.
void RunPass::AddSoundTracks(const std::vector<StreamPlan>& streams) {
    auto first = std::find_if(plan_.routes.begin(), plan_.routes.end(),
                              [](const Route& r) { return r.type == AVMEDIA_TYPE_AUDIO; });
    if (first == plan_.routes.end()) return;
    const Route model = *first;
    AVFormatContext& source = *plan_.source->input;
    for (const StreamPlan& stream : streams) {
        if (stream.type != AVMEDIA_TYPE_AUDIO || stream.fate == StreamFate::LeaveOut ||
            stream.source == model.decoder->streamIndex)
            continue;
        Route route = model;
        route.decoder = std::make_shared<DecoderFilter>(model.decoder->Name(), stream.source,
                                                        AVMEDIA_TYPE_AUDIO);
        route.decoder->source = plan_.source;
        route.converter.reset();
        route.muxInput.reset();
        route.notes.clear();
        route.extraTrack = stream.number;
        // A kept track needs no decoder: its packets go in as they are.
        if (stream.fate == StreamFate::Keep && route.keep) {
            plan_.routes.push_back(std::move(route));
            continue;
        }
        route.keep.reset();
        route.decoder->context = OpenDecoder(*source.streams[stream.source]);
        if (route.decoder->context)
            route.sound = PlanAudio(SoundOf(*route.decoder->context), route.encoder,
                                    !route.compressor, nullptr, route.notes);
        if (!route.decoder->context || route.sound.sampleRate <= 0 || route.sound.channels <= 0) {
            status.Note(RunNoteKind::AudioTrackLeftOut, stream.number);
            continue;
        }
        plan_.routes.push_back(std::move(route));
    }
    std::stable_sort(plan_.routes.begin(), plan_.routes.end(), [](const Route& a, const Route& b) {
        if (a.type != b.type) return a.type == AVMEDIA_TYPE_VIDEO;
        return a.type == AVMEDIA_TYPE_AUDIO && a.decoder->streamIndex < b.decoder->streamIndex;
    });
}

// What the container cannot carry is counted for one sentence; a track that could
// not be read is named.
void RunPass::NoteLeftOut(const std::vector<StreamPlan>& streams) {
    for (const StreamPlan& stream : streams) {
        if (stream.fate != StreamFate::LeaveOut) continue;
        const bool audio = stream.type == AVMEDIA_TYPE_AUDIO;
        switch (stream.why) {
            case LeftOutBecause::NotHeld:
                status.Note(audio ? RunNoteKind::NotKeptAudio
                            : stream.type == AVMEDIA_TYPE_VIDEO    ? RunNoteKind::NotKeptVideo
                            : stream.type == AVMEDIA_TYPE_SUBTITLE ? RunNoteKind::NotKeptSubtitles
                                                                   : RunNoteKind::NotKeptAttachments,
                            1);
                break;
            case LeftOutBecause::NoDecoder:
            case LeftOutBecause::Unreadable:
                status.Note(audio ? RunNoteKind::AudioTrackLeftOut : RunNoteKind::SubtitleTrackLeftOut,
                            stream.number);
                break;
            case LeftOutBecause::OverLimit: status.Note(RunNoteKind::TracksOverLimit, 1); break;
            default: break;
        }
    }
    const AVFormatContext& source = *plan_.source->input;
    if (source.nb_chapters > 0 && !HoldsChapters(*plan_.mux->format()))
        status.Note(RunNoteKind::NotKeptChapters, source.nb_chapters);
}

HRESULT RunPass::OpenRoute(const Route& route, const DemuxStage::Part& part,
                                  std::vector<OutputStream>& outputs,
                                  std::vector<DemuxStage::Output>& demuxOutputs,
                                  std::string& reason) {
    AVFormatContext& source = *plan_.source->input;
    const bool globalHeader = plan_.mux->format()->flags & AVFMT_GLOBALHEADER;
    const bool video = route.type == AVMEDIA_TYPE_VIDEO;
    AVStream& input = *source.streams[route.decoder->streamIndex];
    auto& q = *queues_.emplace_back(std::make_unique<RouteQueues>(video));
    status.Watch(q.packets);
    status.Watch(q.frames);
    // The output's zero, in the stream's time base.
    auto at = [&](std::int64_t time) {
        return SourceStart(source, input.time_base) +
               av_rescale_q(time, kHundredNs, input.time_base);
    };
    const std::int64_t start = at(part.origin);
    const bool cut = plan_.start > 0 || plan_.stop > 0;
    if (route.keep) {
        for (const RunNote& note : route.notes) status.Note(note.kind, note.count);
        stages_.push_back(
            std::make_unique<CopyStage>(outputs.size(), video, start, cut, q.packets, muxQueue_));
        outputs.push_back(CopyStage::Describe(input));
        demuxOutputs.push_back({route.decoder->streamIndex, &q.packets, nullptr});
        return S_OK;
    }
    auto& encoder = *encoders_.emplace_back(
        std::make_unique<StreamEncoder>(outputs.size(), route, status, muxQueue_,
                                        video ? video_ : PassSetup{}));
    const AVCodecContext& decoder = *route.decoder->context;
    const AVRational rate = av_guess_frame_rate(&source, &input, nullptr);
    const std::int64_t frameDuration =
        video && rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), input.time_base)
                                              : 0;
    std::unique_ptr<Stage> encode;
    if (video) {
        // The chain first, from the decoder's parameters: the encoder takes what it gives.
        auto chain = std::make_unique<VideoChain>(route.video, route.decoder->picture.sampleAspect,
                                                  input.time_base, start, frameDuration, status);
        PictureIn in = PictureOf(decoder);
        if (in.format == AV_PIX_FMT_NONE) in.format = route.video.format;  // told by the first picture
        if (HRESULT hr = chain->Configure(in, reason); FAILED(hr)) return hr;
        const PictureOut picture{chain->width(), chain->height(), chain->format(),
                                 chain->sampleAspect(), chain->timeBase()};
        if (HRESULT hr = encoder.Open(picture, globalHeader, reason); FAILED(hr)) return hr;
        encode = std::make_unique<VideoEncodeStage>(encoder, std::move(chain), q.frames);
    } else {
        // The encoder first: its frame size is the chain's.
        if (HRESULT hr = encoder.Open(PictureOut{}, globalHeader, reason); FAILED(hr)) return hr;
        const AVCodecContext& enc = *encoder.context();
        auto chain = std::make_unique<AudioChain>(
            route.sound,
            ChunkSize(enc.frame_size, enc.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE),
            input.time_base, start, route.fillFromStart, status);
        if (HRESULT hr = chain->Configure(SoundOf(decoder), reason); FAILED(hr)) return hr;
        encode = std::make_unique<AudioEncodeStage>(encoder, std::move(chain), q.frames);
    }
    for (const RunNote& note : route.notes) status.Note(note.kind, note.count);
    outputs.push_back(encoder.Describe(&input));
    demuxOutputs.push_back({route.decoder->streamIndex, &q.packets, nullptr});
    std::optional<FrameCut> frameCut;
    if (cut)
        frameCut.emplace(input.time_base, start, plan_.stop > 0 ? at(plan_.stop) : INT64_MAX,
                         frameDuration);
    stages_.push_back(std::make_unique<DecodeStage>(*route.decoder->context, q.packets, q.frames,
                                                   status, frameCut));
    stages_.push_back(std::move(encode));
    return S_OK;
}

// Everything the threads need, opened on the calling thread.
HRESULT RunPass::Prepare() {
    AVFormatContext& source = *plan_.source->input;
    StreamChoices choices;
    for (const Route& route : plan_.routes) {
        const bool video = route.type == AVMEDIA_TYPE_VIDEO;
        (video ? choices.firstVideo : choices.firstAudio) = route.decoder->streamIndex;
        if (!video) choices.keepAudio = route.keep != nullptr;
    }
    choices.allAudio = plan_.mux->audioTracks() == AudioTracks::All;
    choices.oneSound = dynamic_cast<const WmAsfWriterFilter*>(plan_.mux.get()) != nullptr;
    const std::vector<StreamPlan> streams = PlanStreams(source, *plan_.mux->format(), choices);
    NoteLeftOut(streams);
    AddSoundTracks(streams);

    DemuxStage::Part part;
    if (HRESULT hr = Open(part, streams); FAILED(hr)) return hr;
    if (mux_)
        if (HRESULT hr = mux_->CreateFile(plan_.source->path()); FAILED(hr)) return hr;
    std::vector<OutputStream> outputs;
    std::vector<DemuxStage::Output> demuxOutputs;
    for (const Route& route : plan_.routes) {
        std::string reason;
        if (HRESULT hr = OpenRoute(route, part, outputs, demuxOutputs, reason); FAILED(hr)) {
            // A further track the encoder refuses is left out; the graph's own routes
            // fail the run with their step's message.
            if (!route.extraTrack) return Refuse(hr, reason);
            status.Note(RunNoteKind::AudioTrackLeftOut, route.extraTrack);
        }
    }
    MuxStage::FromSource from;
    from.file = &source;
    from.chapters = HoldsChapters(*plan_.mux->format());
    from.writingApplication = plan_.mux->writingApplication();
    // Subtitles start where the part does.
    const std::int64_t startUs = SourceStart(source, AVRational{1, AV_TIME_BASE}) +
                                 av_rescale_q(part.origin, kHundredNs, AVRational{1, AV_TIME_BASE});
    for (const StreamPlan& stream : streams) {
        if (stream.fate == StreamFate::LeaveOut) continue;
        if (stream.type == AVMEDIA_TYPE_ATTACHMENT)
            from.attachments.push_back(source.streams[stream.source]);
        if (stream.type != AVMEDIA_TYPE_SUBTITLE) continue;
        auto route = std::make_unique<SubtitleRoute>(
            outputs.size(), *source.streams[stream.source],
            stream.fate == StreamFate::Keep ? AV_CODEC_ID_NONE : stream.codec, startUs, muxQueue_);
        if (!route->Open()) {
            status.Note(RunNoteKind::SubtitleTrackLeftOut, stream.number);
            continue;
        }
        outputs.push_back(route->Describe());
        demuxOutputs.push_back({stream.source, nullptr, route.get()});
        subtitles_.push_back(std::move(route));
    }
    stages_.insert(stages_.begin(), std::make_unique<DemuxStage>(source, std::move(demuxOutputs),
                                                               status, std::move(part)));
    if (count_) {
        for (const OutputStream& output : outputs) count_->sound.push_back(!output.video);
        for (const AVStream* attachment : from.attachments)
            count_->soundBytes += attachment->codecpar->extradata_size;
        return S_OK;
    }
    std::string reason;
    if (HRESULT hr = mux_->Open(outputs, from, reason); FAILED(hr)) return Refuse(hr, reason);
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
