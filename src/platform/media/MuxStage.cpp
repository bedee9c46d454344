#include "platform/media/MuxStage.h"

#include <cstring>

#include "platform/media/ContainerCodecs.h"
#include "platform/media/FfmpegLog.h"
#include "platform/media/StreamTime.h"

namespace media::detail {
namespace {

template <typename T>
void AddSideData(AVStream& stream, AVPacketSideDataType type, const std::optional<T>& value) {
    if (!value) return;
    if (auto* data = av_stream_new_side_data(&stream, type, sizeof(T)))
        std::memcpy(data, &*value, sizeof(T));
}

}  // namespace

MuxStage::~MuxStage() {
    if (!output_) return;
    pending_.CloseWriter(output_->pb);
    avformat_free_context(output_);
}

HRESULT MuxStage::CreateFile(const std::string& sourcePath) {
    writer_.SetKeptAside({});
    return pending_.Create(writer_.path(), sourcePath);
}

HRESULT MuxStage::AddKept(const AVStream& source, MuxStream& stream) {
    AVStream& out = *stream.output;
    if (avcodec_parameters_copy(out.codecpar, source.codecpar) < 0) return E_OUTOFMEMORY;
    out.time_base = source.time_base;
    out.avg_frame_rate = source.avg_frame_rate;
    out.r_frame_rate = source.r_frame_rate;
    out.sample_aspect_ratio = source.sample_aspect_ratio;
    out.disposition = source.disposition;
    // The turn, HDR mastering data and the like travel as the stream's side data.
    for (int i = 0; i < source.nb_side_data; ++i) {
        const AVPacketSideData& side = source.side_data[i];
        if (auto* data = av_stream_new_side_data(&out, side.type, side.size))
            std::memcpy(data, side.data, side.size);
    }
    for (const char* key : {"language", "title"})
        if (const AVDictionaryEntry* e = av_dict_get(source.metadata, key, nullptr, 0))
            av_dict_set(&out.metadata, key, e->value, 0);
    stream.encoderTimeBase = source.time_base;
    stream.video = source.codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    const AVRational rate = source.avg_frame_rate;
    if (stream.video && rate.num > 0 && rate.den > 0)
        stream.frameDuration = av_rescale_q(1, av_inv_q(rate), source.time_base);
    return S_OK;
}

HRESULT MuxStage::Open(const std::vector<Input>& inputs, std::string& reason) {
    const std::string& path = writer_.path();
    if (avformat_alloc_output_context2(&output_, mux_.format(), nullptr, path.c_str()) < 0)
        return E_OUTOFMEMORY;
    const AVOutputFormat* of = output_->oformat;
    for (const Input& input : inputs) {
        MuxStream stream;
        if (input.kept) {
            stream.output = avformat_new_stream(output_, nullptr);
            if (!stream.output) return E_OUTOFMEMORY;
            if (HRESULT hr = AddKept(*input.kept, stream); FAILED(hr)) return hr;
            // The source's tag only where this container knows it for the same codec.
            AVCodecParameters* par = stream.output->codecpar;
            if (!of->codec_tag || av_codec_get_id(of->codec_tag, par->codec_tag) != par->codec_id)
                par->codec_tag = 0;
            streams_.push_back(stream);
            continue;
        }
        const StreamEncoder* encoder = input.encoder;
        const AVCodecContext* enc = encoder->context();
        stream.output = avformat_new_stream(output_, nullptr);
        if (!stream.output) return E_OUTOFMEMORY;
        if (avcodec_parameters_from_context(stream.output->codecpar, enc) < 0) return E_OUTOFMEMORY;
        stream.output->time_base = enc->time_base;
        stream.output->avg_frame_rate = enc->framerate;
        // Matroska and WebM state the pixels' shape from the stream's own field.
        stream.output->sample_aspect_ratio = enc->sample_aspect_ratio;
        // A tag the container would refuse is dropped; the container picks its own.
        AVCodecParameters* par = stream.output->codecpar;
        if (par->codec_tag && of->codec_tag &&
            av_codec_get_id(of->codec_tag, par->codec_tag) != par->codec_id)
            par->codec_tag = 0;
        stream.encoderTimeBase = enc->time_base;
        stream.frameDuration = encoder->frameDuration();
        stream.video = encoder->route().type == AVMEDIA_TYPE_VIDEO;
        stream.dropPriming = encoder->route().dropPriming;
        // A kept HDR picture's mastering data, for the containers that state it.
        if (stream.video) {
            AddSideData(*stream.output, AV_PKT_DATA_MASTERING_DISPLAY_METADATA,
                        encoder->route().video.mastering);
            AddSideData(*stream.output, AV_PKT_DATA_CONTENT_LIGHT_LEVEL,
                        encoder->route().video.light);
        }
        streams_.push_back(stream);
    }
    output_->pb = pending_.OpenWriter();
    if (!output_->pb) {
        reason = pending_.WriteReason();
        return pending_.WriteError();
    }
    // A muxer that reads its own file back (MP4 moving its index to the front)
    // reads the file being written, through its descriptor: no name is opened.
    output_->opaque = &pending_;
    output_->io_open = &PendingOutput::OpenReader;
    output_->io_close2 = &PendingOutput::CloseReader;
    AVDictionary* muxerOptions = nullptr;
    for (const auto& [name, value] : MuxerDefaults(of->name))
        av_dict_set(&muxerOptions, name.c_str(), value.c_str(), 0);
    LogCapture capture;
    const int err = avformat_write_header(output_, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (err < 0) {
        const HRESULT writeError = pending_.CloseWriter(output_->pb);
        reason = FAILED(writeError) ? pending_.WriteReason() : capture.Reason(err);
        pending_.Discard();
        return FAILED(writeError) ? writeError : FromAvError(err, QV_E_MUX_START);
    }
    return S_OK;
}

void MuxStage::Run() {
    std::size_t ended = 0;
    MuxItem item;
    while (ended < streams_.size() && queue_.Pop(item)) {
        if (!item.packet) {
            ++ended;
            continue;
        }
        if (!Write(item)) break;
    }
    Finish();
}

bool MuxStage::Write(MuxItem& item) {
    // A refusal from the runtime strikes mid-file, as a full disk would.
    if (const HRESULT refused = written_ >= 20 ? BeforeWrite() : S_OK; FAILED(refused)) {
        status_.Fail(refused);
        return false;
    }
    ++written_;
    const MuxStream& s = streams_[item.route];
    AVPacket* p = item.packet.get();
    if (s.dropPriming && p->pts != AV_NOPTS_VALUE && p->duration > 0 && p->pts + p->duration <= 0)
        return true;
    if (p->duration == 0 && s.video) p->duration = s.frameDuration;
    av_packet_rescale_ts(p, s.encoderTimeBase, s.output->time_base);
    p->stream_index = s.output->index;
    if (p->pts != AV_NOPTS_VALUE) {
        const std::int64_t end =
            av_rescale_q(p->pts + p->duration, s.output->time_base, kHundredNs);
        if (end > status_.position.load()) status_.position.store(end);
    }
    LogCapture capture;
    const int err = av_interleaved_write_frame(output_, p);
    if (const HRESULT writeError = pending_.WriteError(); FAILED(writeError)) {
        status_.Fail(writeError, pending_.WriteReason());
        return false;
    }
    if (err < 0) {
        status_.Fail(FromAvError(err, HRESULT_WRITE_FAULT), capture.Reason(err));
        return false;
    }
    return true;
}

void MuxStage::Finish() {
    // Whatever ended the run, the file is finalised so that players can read it.
    {
        LogCapture capture;
        if (const int err = av_write_trailer(output_); err < 0 && !status_.stopping()) {
            const bool writeFailed = FAILED(pending_.WriteError());
            status_.Fail(FromAvError(err, HRESULT_WRITE_FAULT),
                         writeFailed ? pending_.WriteReason() : capture.Reason(err));
        }
    }
    if (const HRESULT closed = pending_.CloseWriter(output_->pb); FAILED(closed))
        status_.Fail(closed, pending_.WriteReason());
    // A failed run leaves any older output as it was; a finished or stopped one
    // takes its place, or is kept beside a file it may not replace.
    unsigned long mode = 0;
    writer_.GetMode(mode);
    if (FAILED(status_.error()))
        pending_.Discard();
    else if (const HRESULT moved = pending_.Commit(mode & AM_FILE_OVERWRITE, status_.stopping());
             FAILED(moved))
        status_.Fail(moved);
    writer_.SetKeptAside(pending_.keptAside());
    // The event is queued before the run counts as finished, so that whoever waits
    // for the end finds it.
    EventQueue& events = status_.events();
    if (const HRESULT hr = status_.error(); FAILED(hr)) {
        events.Post(EC_ERRORABORT, hr, 0);
        events.MarkFinished(EC_ERRORABORT);
    } else if (!status_.stopping()) {
        if (status_.endedEarly)
            events.Post(EC_COMPLETE, QV_S_SOURCE_ENDED_EARLY, status_.reached.load());
        else
            events.Post(EC_COMPLETE, S_OK, 0);
        events.MarkFinished(EC_COMPLETE);
    }
}

}  // namespace media::detail
