#include "platform/media/MuxStage.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/avstring.h>
}

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

// Stream flags a file carries over: which track plays first, forced and accessible tracks.
constexpr int kKeptFlags = AV_DISPOSITION_DEFAULT | AV_DISPOSITION_FORCED |
                           AV_DISPOSITION_DUB | AV_DISPOSITION_ORIGINAL |
                           AV_DISPOSITION_COMMENT | AV_DISPOSITION_HEARING_IMPAIRED |
                           AV_DISPOSITION_VISUAL_IMPAIRED | AV_DISPOSITION_CAPTIONS |
                           AV_DISPOSITION_DESCRIPTIONS;

// Tags that describe the source's own encoding or its old statistics, which the
// new file would only contradict.
bool Stale(const char* key) {
    for (const char* stale : {"encoder", "duration", "bps", "number_of_frames", "number_of_bytes",
                              "major_brand", "minor_version", "compatible_brands"})
        if (av_strcasecmp(key, stale) == 0) return true;
    return av_strncasecmp(key, "_statistics_", 12) == 0 || av_strncasecmp(key, "bps-", 4) == 0 ||
           av_strncasecmp(key, "duration-", 9) == 0 ||
           av_strncasecmp(key, "number_of_", 10) == 0;
}

void CopyTags(AVDictionary*& to, const AVDictionary* from) {
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(from, "", tag, AV_DICT_IGNORE_SUFFIX)))
        if (!Stale(tag->key)) av_dict_set(&to, tag->key, tag->value, 0);
}

// The source's chapters with their titles, moved as its streams are: to start at zero.
void CopyChapters(AVFormatContext& output, const AVFormatContext& source) {
    const std::int64_t start = source.start_time != AV_NOPTS_VALUE ? source.start_time : 0;
    for (unsigned i = 0; i < source.nb_chapters; ++i) {
        const AVChapter& in = *source.chapters[i];
        const std::int64_t shift = av_rescale_q(start, AVRational{1, AV_TIME_BASE}, in.time_base);
        auto* out = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!out) return;
        out->id = in.id;
        out->time_base = in.time_base;
        out->start = std::max<std::int64_t>(0, in.start - shift);
        out->end = std::max(out->start, in.end - shift);
        CopyTags(out->metadata, in.metadata);
        if (av_dynarray_add_nofree(&output.chapters, reinterpret_cast<int*>(&output.nb_chapters),
                                   out) < 0) {
            av_dict_free(&out->metadata);
            av_free(out);
            return;
        }
    }
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

HRESULT MuxStage::Open(const std::vector<OutputStream>& streams, const FromSource& from,
                       std::string& reason) {
    const std::string& path = writer_.path();
    if (avformat_alloc_output_context2(&output_, mux_.format(), nullptr, path.c_str()) < 0)
        return E_OUTOFMEMORY;
    const AVOutputFormat* of = output_->oformat;
    for (const OutputStream& described : streams) {
        MuxStream stream;
        stream.output = avformat_new_stream(output_, nullptr);
        if (!stream.output || !described.parameters) return E_OUTOFMEMORY;
        if (avcodec_parameters_copy(stream.output->codecpar, described.parameters.get()) < 0)
            return E_OUTOFMEMORY;
        stream.output->time_base = described.timeBase;
        stream.output->avg_frame_rate = described.frameRate;
        stream.output->sample_aspect_ratio = described.sampleAspect;
        // A tag (a kept stream's, mostly) only where this container knows it for the
        // same codec; else the container picks its own.
        AVCodecParameters* par = stream.output->codecpar;
        if (par->codec_tag &&
            (!of->codec_tag || av_codec_get_id(of->codec_tag, par->codec_tag) != par->codec_id))
            par->codec_tag = 0;
        if (described.source) {
            CopyTags(stream.output->metadata, described.source->metadata);
            stream.output->disposition = described.source->disposition & kKeptFlags;
        }
        stream.encoderTimeBase = described.timeBase;
        stream.frameDuration = described.frameDuration;
        stream.video = described.video;
        stream.dropPriming = described.dropPriming;
        stream.paced = par->codec_type == AVMEDIA_TYPE_AUDIO || par->codec_type == AVMEDIA_TYPE_VIDEO;
        // A kept HDR picture's mastering data, for the containers that state it.
        AddSideData(*stream.output, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, described.mastering);
        AddSideData(*stream.output, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, described.light);
        for (const auto& [type, bytes] : described.sideData)
            if (auto* data = av_stream_new_side_data(stream.output, type, bytes.size()))
                std::copy(bytes.begin(), bytes.end(), data);
        streams_.push_back(stream);
    }
    for (const AVStream* attachment : from.attachments) {
        AVStream* out = avformat_new_stream(output_, nullptr);
        if (!out || avcodec_parameters_copy(out->codecpar, attachment->codecpar) < 0)
            return E_OUTOFMEMORY;
        CopyTags(out->metadata, attachment->metadata);
    }
    if (from.file) {
        CopyTags(output_->metadata, from.file->metadata);
        if (from.chapters) CopyChapters(*output_, *from.file);
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
    // FFmpeg names itself as the encoder when the output starts; this program's
    // name takes its place before the header carries it (MP4 and Matroska's
    // writing application read it as the encoding tool).
    int err = avformat_init_output(output_, &muxerOptions);
    if (err >= 0 && !from.writingApplication.empty())
        for (const char* key : {"encoder", "encoding_tool"})
            av_dict_set(&output_->metadata, key, from.writingApplication.c_str(), 0);
    if (err >= 0) err = avformat_write_header(output_, &muxerOptions);
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
    std::vector<bool> paced;
    for (const MuxStream& s : streams_) paced.push_back(s.paced);
    evenCut_.emplace(paced);
    std::size_t ended = 0;
    bool writing = true;
    MuxItem item;
    while (writing && ended < streams_.size() && queue_.Pop(item)) {
        const MuxStream& s = streams_[item.route];
        if (!item.packet) {
            ++ended;
            evenCut_->End(item.route);
        } else if (!s.paced) {
            writing = Write(item);
            continue;
        } else {
            const AVPacket& p = *item.packet;
            const std::int64_t time = p.dts != AV_NOPTS_VALUE ? p.dts : p.pts;
            evenCut_->Hold(time == AV_NOPTS_VALUE ? 0 : av_rescale_q(time, s.encoderTimeBase, kHundredNs),
                           std::move(item));
        }
        while (writing)
            if (auto next = evenCut_->Next(false))
                writing = Write(*next);
            else
                break;
    }
    // A run that ended writes what is held; a stopped one cuts every track where
    // all of them had come.
    while (writing && !FAILED(status_.error()))
        if (auto next = status_.stopping() ? evenCut_->NextBeforeCut() : evenCut_->Next(true))
            writing = Write(*next);
        else
            break;
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
    const std::int64_t size = pending_.Size();
    const bool over = limit_ > 0 && size > limit_ && SUCCEEDED(status_.error()) && !status_.stopping();
    if (over && retry_) {
        overSize_ = size;
        pending_.Discard();
        return;
    }
    if (over) status_.Note(RunNoteKind::OverSizeTarget, (size + 999) / 1000);
    if (FAILED(status_.error()) || (limit_ > 0 && status_.stopping()))
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
