// The streaming engine: one demux thread, a decode and an encode thread per stream,
// and one mux thread that writes the file. Bounded queues join them, so a slow
// encoder holds the reader back instead of letting frames pile up.
#include "platform/media/Streaming.h"

#include "platform/media/PendingOutput.h"

#include <algorithm>
#include <cstdio>
#include <limits>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/media/ContainerCodecs.h"

namespace media::detail {

// ---- events --------------------------------------------------------------------

void EventQueue::Post(long code, LONG_PTR param1, LONG_PTR param2) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back({code, param1, param2});
    }
    changed_.notify_all();
    std::lock_guard lock(notifyMutex_);
    if (notify_) notify_();
}

HRESULT EventQueue::Get(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [&] { return !events_.empty(); };
    if (timeoutMs < 0)
        changed_.wait(lock, ready);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return E_ABORT;
    const Event e = events_.front();
    events_.pop_front();
    code = e.code;
    param1 = e.param1;
    param2 = e.param2;
    return S_OK;
}

HRESULT EventQueue::SetNotify(std::function<void()> notify) {
    std::lock_guard notifyLock(notifyMutex_);
    notify_ = std::move(notify);
    bool pending;
    {
        std::lock_guard lock(mutex_);
        pending = !events_.empty();
    }
    if (pending && notify_) notify_();
    return S_OK;
}

void EventQueue::MarkFinished(long code) {
    {
        std::lock_guard lock(mutex_);
        if (finished_) return;
        finished_ = true;
        finishCode_ = code;
    }
    changed_.notify_all();
}

void EventQueue::ClearFinished() {
    std::lock_guard lock(mutex_);
    finished_ = false;
    finishCode_ = 0;
}

HRESULT EventQueue::WaitFinished(long timeoutMs, long& code) {
    std::unique_lock lock(mutex_);
    auto done = [&] { return finished_; };
    if (timeoutMs < 0)
        changed_.wait(lock, done);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done))
        return E_ABORT;
    code = finishCode_;
    return S_OK;
}

// ---- streaming -----------------------------------------------------------------
namespace {

template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}
    // False once aborted: the item is dropped and the caller should stop.
    bool Push(T item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return aborted_ || items_.size() < capacity_; });
        if (aborted_) return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }
    bool Pop(T& item) {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return aborted_ || !items_.empty(); });
        if (aborted_) return false;
        item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return true;
    }
    void Abort() {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        notFull_.notify_all();
        notEmpty_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable notFull_;
    std::condition_variable notEmpty_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool aborted_ = false;
};

struct MuxItem {
    std::size_t route = 0;
    PacketPtr packet;  // empty: the route has ended
};

constexpr AVRational kHundredNs{1, 10'000'000};

HRESULT FailureOf(int error, HRESULT fallback) { return FromAvError(error, fallback); }

struct RouteState {
    explicit RouteState(Route r)
        : route(std::move(r)),
          packets(route.type == AVMEDIA_TYPE_VIDEO ? 32 : 64),
          frames(route.type == AVMEDIA_TYPE_VIDEO ? 8 : 32) {}
    ~RouteState() {
        sws_freeContext(sws);
        swr_free(&swr);
        if (fifo) av_audio_fifo_free(fifo);
        av_channel_layout_uninit(&swrInLayout);
    }
    RouteState(const RouteState&) = delete;
    RouteState& operator=(const RouteState&) = delete;

    Route route;
    AVStream* input = nullptr;
    AVStream* output = nullptr;
    CodecContextPtr encoder;
    std::int64_t startOffset = 0;    // the source's start, in the input stream's time base
    std::int64_t frameDuration = 0;  // one video frame in the encoder's time base (0: unknown)
    BoundedQueue<PacketPtr> packets;
    BoundedQueue<FramePtr> frames;
    // Video conversion.
    SwsContext* sws = nullptr;
    std::int64_t lastPts = AV_NOPTS_VALUE;
    // Frame-rate conversion: the newest frame waits until the next one shows how many
    // output frames it covers.
    std::int64_t sourceFrameDuration = 0;  // input time base; 0: unknown
    std::int64_t lastSourcePts = AV_NOPTS_VALUE;
    FramePtr held;
    std::int64_t firstSlot = 0;
    std::int64_t nextSlot = 0;
    // Audio conversion.
    SwrContext* swr = nullptr;
    AVChannelLayout swrInLayout{};
    int swrInRate = 0;
    int swrInFormat = -1;
    AVAudioFifo* fifo = nullptr;
    FramePtr scratch{av_frame_alloc()};
    std::int64_t nextPts = AV_NOPTS_VALUE;
};

}  // namespace

struct Streamer::Impl {
    Impl(RunPlan p, std::shared_ptr<EventQueue> e, std::atomic<std::int64_t>& pos)
        : plan(std::move(p)), events(std::move(e)), position(pos) {}
    ~Impl() {
        if (output) {
            pending.CloseWriter(output->pb);
            avformat_free_context(output);
        }
    }

    HRESULT OpenEncoders();
    HRESULT OpenOutput();
    std::int64_t StatedEnd() const;
    void NoteEnd(const AVPacket& packet);
    void Launch();
    void Fail(HRESULT hr) {
        HRESULT expected = S_OK;
        error.compare_exchange_strong(expected, hr);
        AbortAll();
    }
    void AbortAll() {
        muxQueue.Abort();
        for (auto& r : routes) {
            r->packets.Abort();
            r->frames.Abort();
        }
    }

    bool OpenEncoder(RouteState& state, const std::map<std::string, std::string>& changed);
    void Demux();
    void Decode(RouteState& r);
    void EncodeVideo(std::size_t index);
    void EncodeAudio(std::size_t index);
    bool Encode(std::size_t index, AVFrame* frame);
    bool Scale(RouteState& r, FramePtr& frame);
    bool ConvertRate(std::size_t index, FramePtr frame);
    bool EmitHeld(std::size_t index, std::int64_t endSlot);
    bool FlushHeld(std::size_t index);
    bool FillFifo(RouteState& r, const AVFrame* frame);
    bool DrainFifo(std::size_t index, bool last);
    void Mux();

    RunPlan plan;
    std::shared_ptr<EventQueue> events;
    std::atomic<std::int64_t>& position;
    std::vector<std::unique_ptr<RouteState>> routes;
    AVFormatContext* output = nullptr;
    BoundedQueue<MuxItem> muxQueue{128};
    std::vector<std::thread> threads;
    std::atomic<HRESULT> error{S_OK};
    std::atomic<bool> stopping{false};
    PendingOutput pending;
    // How far the demuxer got, 100 ns from the source's start; and whether the
    // source gave out before the end its header states.
    std::atomic<std::int64_t> reached{0};
    std::atomic<bool> endedEarly{false};
};

bool Streamer::Impl::OpenEncoder(RouteState& state,
                                 const std::map<std::string, std::string>& changed) {
    const Route& route = state.route;
    AVFormatContext* ic = plan.source->input.get();
    state.encoder.reset(avcodec_alloc_context3(route.encoder));
    AVCodecContext* enc = state.encoder.get();
    if (!enc) return false;
    AVRational rate{0, 1};
    if (route.type == AVMEDIA_TYPE_VIDEO) {
        const AVRational sourceRate = av_guess_frame_rate(ic, state.input, nullptr);
        if (sourceRate.num > 0 && sourceRate.den > 0)
            state.sourceFrameDuration =
                av_rescale_q(1, av_inv_q(sourceRate), state.input->time_base);
        rate = route.frameRate.num > 0 ? route.frameRate : sourceRate;
        enc->width = route.width;
        enc->height = route.height;
        enc->pix_fmt = route.pixelFormat;
        // A frame scaled to another size keeps no pixel shape of the source's.
        if (route.width == state.input->codecpar->width &&
            route.height == state.input->codecpar->height)
            enc->sample_aspect_ratio = state.input->codecpar->sample_aspect_ratio;
        if (route.keyFrameInterval > 0) enc->gop_size = route.keyFrameInterval;
        if (rate.num > 0 && rate.den > 0) {
            enc->framerate = rate;
            enc->time_base = av_inv_q(rate);
            state.frameDuration = 1;
        } else {
            enc->time_base = state.input->time_base;
        }
    } else {
        enc->sample_rate = route.sampleRate;
        enc->sample_fmt = route.sampleFormat;
        if (route.channelMask)
            av_channel_layout_from_mask(&enc->ch_layout, route.channelMask);
        else
            av_channel_layout_default(&enc->ch_layout, route.channels);
        enc->time_base = AVRational{1, route.sampleRate};
    }
    enc->thread_count = 0;  // every core: the encoder is the slowest stage
    if (plan.mux->format()->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The encoder's starting settings, then what the person changed on top.
    std::vector<std::string> overridden;
    for (const auto& entry : changed) overridden.push_back(entry.first);
    const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    for (const auto& [name, value] : EncoderDefaults(route.encoder->name, enc->width, enc->height,
                                                     fps, overridden))
        av_opt_set(enc, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
    for (const auto& [name, value] : changed)
        if (av_opt_set(enc, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN) < 0) return false;
    if (route.bitRate > 0) enc->bit_rate = route.bitRate;
    return avcodec_open2(enc, route.encoder, nullptr) >= 0;
}

HRESULT Streamer::Impl::OpenEncoders() {
    AVFormatContext* ic = plan.source->input.get();
    const std::int64_t start = ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0;
    for (const Route& route : plan.routes) {
        auto r = std::make_unique<RouteState>(route);
        r->input = ic->streams[route.decoder->streamIndex];
        r->startOffset = av_rescale_q(start, AVRational{1, AV_TIME_BASE}, r->input->time_base);
        const auto changed = route.compressor ? route.compressor->ChangedOptions()
                                              : std::map<std::string, std::string>{};
        if (!r->scratch) return E_OUTOFMEMORY;
        if (!OpenEncoder(*r, changed)) {
            // Settings the encoder refuses (kept from another FFmpeg, say) never stop
            // a run: it runs again on the starting settings alone, with a note.
            if (changed.empty()) return r->encoder ? route.refusal : E_OUTOFMEMORY;
            NoteSettingsRefused(route.compressor, route.encoder->name);
            if (!OpenEncoder(*r, {})) return r->encoder ? route.refusal : E_OUTOFMEMORY;
        }
        AVCodecContext* enc = r->encoder.get();
        if (route.type == AVMEDIA_TYPE_AUDIO) {
            r->fifo = av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, 4096);
            if (!r->fifo) return E_OUTOFMEMORY;
        }
        routes.push_back(std::move(r));
    }
    return S_OK;
}

HRESULT Streamer::Impl::OpenOutput() {
    if (avformat_alloc_output_context2(&output, plan.mux->format(), nullptr,
                                       plan.outputPath.c_str()) < 0)
        return E_OUTOFMEMORY;
    const AVOutputFormat* of = output->oformat;
    for (auto& r : routes) {
        r->output = avformat_new_stream(output, nullptr);
        if (!r->output) return E_OUTOFMEMORY;
        if (avcodec_parameters_from_context(r->output->codecpar, r->encoder.get()) < 0)
            return E_OUTOFMEMORY;
        r->output->time_base = r->encoder->time_base;
        r->output->avg_frame_rate = r->encoder->framerate;
        // A tag the container would refuse is dropped; the container picks its own.
        AVCodecParameters* par = r->output->codecpar;
        if (par->codec_tag && of->codec_tag &&
            av_codec_get_id(of->codec_tag, par->codec_tag) != par->codec_id)
            par->codec_tag = 0;
    }
    output->pb = pending.OpenWriter();
    if (!output->pb) return pending.WriteError();
    // A muxer that reads its own file back (MP4 moving its index to the front)
    // must find the file being written, not the output it will replace.
    av_freep(&output->url);
    output->url = av_strdup(pending.path().c_str());
    if (!output->url) return E_OUTOFMEMORY;
    AVDictionary* muxerOptions = nullptr;
    for (const auto& [name, value] : MuxerDefaults(of->name))
        av_dict_set(&muxerOptions, name.c_str(), value.c_str(), 0);
    const int written = avformat_write_header(output, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (const int err = written; err < 0) {
        const HRESULT writeError = pending.CloseWriter(output->pb);
        pending.Discard();
        return FAILED(writeError) ? writeError : FailureOf(err, QV_E_MUX_START);
    }
    return S_OK;
}

void Streamer::Impl::Launch() {
    threads.emplace_back([this] { Demux(); });
    for (std::size_t i = 0; i < routes.size(); ++i) {
        threads.emplace_back([this, i] { Decode(*routes[i]); });
        if (routes[i]->route.type == AVMEDIA_TYPE_VIDEO)
            threads.emplace_back([this, i] { EncodeVideo(i); });
        else
            threads.emplace_back([this, i] { EncodeAudio(i); });
    }
    threads.emplace_back([this] { Mux(); });
}

void Streamer::Impl::Demux() {
    AVFormatContext* ic = plan.source->input.get();
    std::vector<int> routeOf(ic->nb_streams, -1);
    for (std::size_t i = 0; i < routes.size(); ++i)
        routeOf[routes[i]->input->index] = static_cast<int>(i);
    PacketPtr packet(av_packet_alloc());
    if (!packet) return Fail(E_OUTOFMEMORY);
    while (!stopping) {
        const int err = av_read_frame(ic, packet.get());
        if (err == AVERROR(EAGAIN)) continue;
        if (err < 0) {
            // The end of the file, or the end of what a damaged file lets us read.
            // What could be read is kept either way; the end says whether that was all.
            const bool readFault =
                err != AVERROR_EOF && ic->pb && ic->pb->error && ic->pb->error != AVERROR_EOF;
            const std::int64_t stated = StatedEnd();
            const std::int64_t slack = std::max<std::int64_t>(10'000'000, stated / 100);
            if (readFault || (stated > 0 && reached.load() < stated - slack)) endedEarly = true;
            break;
        }
        const int index = packet->stream_index < static_cast<int>(routeOf.size())
                              ? routeOf[packet->stream_index]
                              : -1;
        if (index < 0) {
            av_packet_unref(packet.get());
            continue;
        }
        NoteEnd(*packet);
        PacketPtr queued(av_packet_alloc());
        if (!queued) return Fail(E_OUTOFMEMORY);
        av_packet_move_ref(queued.get(), packet.get());
        if (!routes[index]->packets.Push(std::move(queued))) return;
    }
    for (auto& r : routes) r->packets.Push(nullptr);
}

void Streamer::Impl::NoteEnd(const AVPacket& packet) {
    const std::int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (time == AV_NOPTS_VALUE) return;
    const AVFormatContext* ic = plan.source->input.get();
    const AVStream* st = ic->streams[packet.stream_index];
    const std::int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const std::int64_t end =
        av_rescale_q(time + std::max<std::int64_t>(packet.duration, 0) - start, st->time_base,
                     kHundredNs);
    if (end > reached.load()) reached.store(end);
}

std::int64_t Streamer::Impl::StatedEnd() const {
    const AVFormatContext* ic = plan.source->input.get();
    // A length guessed from the bitrate is no promise.
    if (ic->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0;
    std::int64_t longest = 0;
    for (const auto& r : routes)
        if (r->input->duration != AV_NOPTS_VALUE && r->input->duration > 0)
            longest = std::max(longest,
                               av_rescale_q(r->input->duration, r->input->time_base, kHundredNs));
    if (longest == 0 && ic->duration != AV_NOPTS_VALUE && ic->duration > 0)
        longest = av_rescale_q(ic->duration, AVRational{1, AV_TIME_BASE}, kHundredNs);
    return longest;
}

void Streamer::Impl::Decode(RouteState& r) {
    AVCodecContext* dec = r.route.decoder->context.get();
    PacketPtr packet;
    while (r.packets.Pop(packet)) {
        int err = avcodec_send_packet(dec, packet.get());
        if (err == AVERROR(ENOMEM)) return Fail(E_OUTOFMEMORY);
        // Any other refusal is a damaged packet: skip it, as players do.
        for (;;) {
            FramePtr frame(av_frame_alloc());
            if (!frame) return Fail(E_OUTOFMEMORY);
            err = avcodec_receive_frame(dec, frame.get());
            if (err == AVERROR(ENOMEM)) return Fail(E_OUTOFMEMORY);
            if (err < 0) break;
            if (!r.frames.Push(std::move(frame))) return;
        }
        if (!packet) {
            r.frames.Push(nullptr);
            return;
        }
    }
}

bool Streamer::Impl::Encode(std::size_t index, AVFrame* frame) {
    AVCodecContext* enc = routes[index]->encoder.get();
    // A fixed quantizer reaches MPEG-family encoders through each frame's quality.
    if (frame && (enc->flags & AV_CODEC_FLAG_QSCALE)) frame->quality = enc->global_quality;
    int err = avcodec_send_frame(enc, frame);
    if (err < 0 && err != AVERROR_EOF) {
        Fail(FailureOf(err, QV_E_ENCODE));
        return false;
    }
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) {
            Fail(E_OUTOFMEMORY);
            return false;
        }
        err = avcodec_receive_packet(enc, packet.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
        if (err < 0) {
            Fail(FailureOf(err, QV_E_ENCODE));
            return false;
        }
        if (!muxQueue.Push(MuxItem{index, std::move(packet)})) return false;
    }
}

bool Streamer::Impl::Scale(RouteState& r, FramePtr& frame) {
    AVCodecContext* enc = r.encoder.get();
    if (frame->format == enc->pix_fmt && frame->width == enc->width &&
        frame->height == enc->height)
        return true;
    r.sws = sws_getCachedContext(r.sws, frame->width, frame->height,
                                 static_cast<AVPixelFormat>(frame->format), enc->width,
                                 enc->height, enc->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    FramePtr converted(av_frame_alloc());
    if (!r.sws || !converted) return false;
    converted->format = enc->pix_fmt;
    converted->width = enc->width;
    converted->height = enc->height;
    if (av_frame_get_buffer(converted.get(), 0) < 0) return false;
    sws_scale(r.sws, frame->data, frame->linesize, 0, frame->height, converted->data,
              converted->linesize);
    av_frame_copy_props(converted.get(), frame.get());
    frame = std::move(converted);
    return true;
}

// Output frame n shows at n / rate; it takes the newest source frame that has started
// by then (to the nearest output frame), so the length stays the source's.
bool Streamer::Impl::ConvertRate(std::size_t index, FramePtr frame) {
    RouteState& r = *routes[index];
    std::int64_t t = frame->best_effort_timestamp;
    if (t == AV_NOPTS_VALUE)
        t = r.lastSourcePts == AV_NOPTS_VALUE ? r.startOffset
                                              : r.lastSourcePts + r.sourceFrameDuration;
    if (r.lastSourcePts != AV_NOPTS_VALUE && t < r.lastSourcePts) t = r.lastSourcePts;
    r.lastSourcePts = t;
    const std::int64_t slot =
        av_rescale_q_rnd(t - r.startOffset, r.input->time_base, r.encoder->time_base,
                         static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    if (!r.held) {
        r.firstSlot = r.nextSlot = std::max<std::int64_t>(slot, 0);
    } else if (!EmitHeld(index, slot)) {
        return false;
    }
    if (!Scale(r, frame)) {
        Fail(E_OUTOFMEMORY);
        return false;
    }
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    r.held = std::move(frame);
    return true;
}

bool Streamer::Impl::EmitHeld(std::size_t index, std::int64_t endSlot) {
    RouteState& r = *routes[index];
    for (; r.nextSlot < endSlot; ++r.nextSlot) {
        r.held->pts = r.nextSlot;
        if (!Encode(index, r.held.get())) return false;
    }
    return true;
}

// The last source frame lasts one source frame; a source of one frame gives one frame.
bool Streamer::Impl::FlushHeld(std::size_t index) {
    RouteState& r = *routes[index];
    if (!r.held) return true;
    std::int64_t end = r.nextSlot + 1;
    if (r.sourceFrameDuration > 0)
        end = av_rescale_q_rnd(r.lastSourcePts + r.sourceFrameDuration - r.startOffset,
                               r.input->time_base, r.encoder->time_base,
                               static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    const bool done = EmitHeld(index, std::max(end, r.firstSlot + 1));
    r.held.reset();
    return done;
}

void Streamer::Impl::EncodeVideo(std::size_t index) {
    RouteState& r = *routes[index];
    AVCodecContext* enc = r.encoder.get();
    const bool convertRate = r.route.frameRate.num > 0;
    FramePtr frame;
    while (r.frames.Pop(frame)) {
        if (!frame) {
            if (convertRate && !FlushHeld(index)) return;
            if (Encode(index, nullptr)) muxQueue.Push(MuxItem{index, nullptr});
            return;
        }
        if (convertRate) {
            if (!ConvertRate(index, std::move(frame))) return;
            continue;
        }
        std::int64_t pts = frame->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE)
            pts =
                av_rescale_q_rnd(pts - r.startOffset, r.input->time_base, enc->time_base,
                                 static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        if (r.lastPts != AV_NOPTS_VALUE && (pts == AV_NOPTS_VALUE || pts <= r.lastPts))
            pts = r.lastPts + 1;
        if (pts == AV_NOPTS_VALUE) pts = 0;
        r.lastPts = pts;

        if (!Scale(r, frame)) return Fail(E_OUTOFMEMORY);
        frame->pts = pts;
        frame->pict_type = AV_PICTURE_TYPE_NONE;  // the encoder places its own key frames
        if (!Encode(index, frame.get())) return;
    }
}

bool Streamer::Impl::FillFifo(RouteState& r, const AVFrame* frame) {
    AVCodecContext* enc = r.encoder.get();
    AVChannelLayout inLayout{};
    if (frame) {
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&inLayout, &frame->ch_layout);
        const bool same = frame->format == enc->sample_fmt &&
                          frame->sample_rate == enc->sample_rate &&
                          !av_channel_layout_compare(&inLayout, &enc->ch_layout);
        if (same && !r.swr) {
            av_channel_layout_uninit(&inLayout);
            return av_audio_fifo_write(r.fifo, reinterpret_cast<void**>(frame->extended_data),
                                       frame->nb_samples) >= 0;
        }
        if (!r.swr || frame->format != r.swrInFormat || frame->sample_rate != r.swrInRate ||
            av_channel_layout_compare(&inLayout, &r.swrInLayout)) {
            swr_free(&r.swr);
            if (swr_alloc_set_opts2(&r.swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate,
                                    &inLayout, static_cast<AVSampleFormat>(frame->format),
                                    frame->sample_rate, 0, nullptr) < 0 ||
                swr_init(r.swr) < 0) {
                av_channel_layout_uninit(&inLayout);
                return false;
            }
            av_channel_layout_uninit(&r.swrInLayout);
            av_channel_layout_copy(&r.swrInLayout, &inLayout);
            r.swrInFormat = frame->format;
            r.swrInRate = frame->sample_rate;
        }
        av_channel_layout_uninit(&inLayout);
    }
    if (!r.swr) return true;
    const int inSamples = frame ? frame->nb_samples : 0;
    for (;;) {
        const int capacity = swr_get_out_samples(r.swr, inSamples) + 16;
        if (r.scratch->nb_samples < capacity) {
            av_frame_unref(r.scratch.get());
            r.scratch->format = enc->sample_fmt;
            r.scratch->nb_samples = capacity;
            av_channel_layout_copy(&r.scratch->ch_layout, &enc->ch_layout);
            if (av_frame_get_buffer(r.scratch.get(), 0) < 0) return false;
        }
        const int n = swr_convert(
            r.swr, r.scratch->extended_data, r.scratch->nb_samples,
            frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr, inSamples);
        if (n < 0) return false;
        if (n > 0 &&
            av_audio_fifo_write(r.fifo, reinterpret_cast<void**>(r.scratch->extended_data), n) < 0)
            return false;
        if (frame || n == 0) return true;  // flushing: repeat until the resampler is empty
    }
}

bool Streamer::Impl::DrainFifo(std::size_t index, bool last) {
    RouteState& r = *routes[index];
    AVCodecContext* enc = r.encoder.get();
    const bool fixed =
        enc->frame_size > 0 && !(enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    const int chunk = fixed ? enc->frame_size : 1024;
    while (av_audio_fifo_size(r.fifo) >= chunk || (last && av_audio_fifo_size(r.fifo) > 0)) {
        const int n = std::min(chunk, av_audio_fifo_size(r.fifo));
        FramePtr frame(av_frame_alloc());
        if (!frame) {
            Fail(E_OUTOFMEMORY);
            return false;
        }
        frame->nb_samples = n;
        frame->format = enc->sample_fmt;
        frame->sample_rate = enc->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0) {
            Fail(E_OUTOFMEMORY);
            return false;
        }
        av_audio_fifo_read(r.fifo, reinterpret_cast<void**>(frame->extended_data), n);
        frame->pts = r.nextPts;
        r.nextPts += n;
        if (!Encode(index, frame.get())) return false;
    }
    return true;
}

void Streamer::Impl::EncodeAudio(std::size_t index) {
    RouteState& r = *routes[index];
    FramePtr frame;
    while (r.frames.Pop(frame)) {
        if (!frame) {
            if (r.nextPts == AV_NOPTS_VALUE) r.nextPts = 0;
            if (!FillFifo(r, nullptr)) return Fail(QV_E_ENCODE);
            if (DrainFifo(index, true) && Encode(index, nullptr))
                muxQueue.Push(MuxItem{index, nullptr});
            return;
        }
        if (r.nextPts == AV_NOPTS_VALUE) {
            // The stream keeps its offset against the video; samples run on from there.
            const std::int64_t pts = frame->best_effort_timestamp;
            r.nextPts =
                pts == AV_NOPTS_VALUE
                    ? 0
                    : av_rescale_q(pts - r.startOffset, r.input->time_base, r.encoder->time_base);
            if (r.nextPts < 0) r.nextPts = 0;
        }
        if (!FillFifo(r, frame.get())) return Fail(QV_E_ENCODE);
        if (!DrainFifo(index, false)) return;
    }
}

void Streamer::Impl::Mux() {
    std::size_t ended = 0;
    std::size_t written = 0;
    MuxItem item;
    while (ended < routes.size() && muxQueue.Pop(item)) {
        if (!item.packet) {
            ++ended;
            continue;
        }
        // A forced failure strikes mid-file, as a full disk would.
        if (const HRESULT forced = ForcedFailure(testing::Operation::Streaming);
            FAILED(forced) && written >= 20) {
            Fail(forced);
            break;
        }
        ++written;
        RouteState& r = *routes[item.route];
        AVPacket* p = item.packet.get();
        if (r.route.dropPriming && p->pts != AV_NOPTS_VALUE && p->duration > 0 &&
            p->pts + p->duration <= 0)
            continue;
        if (p->duration == 0 && r.route.type == AVMEDIA_TYPE_VIDEO) p->duration = r.frameDuration;
        av_packet_rescale_ts(p, r.encoder->time_base, r.output->time_base);
        p->stream_index = r.output->index;
        if (p->pts != AV_NOPTS_VALUE) {
            const std::int64_t end =
                av_rescale_q(p->pts + p->duration, r.output->time_base, kHundredNs);
            if (end > position.load()) position.store(end);
        }
        const int err = av_interleaved_write_frame(output, p);
        if (const HRESULT writeError = pending.WriteError(); FAILED(writeError)) {
            Fail(writeError);
            break;
        }
        if (err < 0) {
            Fail(FailureOf(err, HRESULT_WRITE_FAULT));
            break;
        }
    }
    // Whatever ended the run, the file is finalised so that players can read it.
    if (const int err = av_write_trailer(output); err < 0 && !stopping)
        Fail(FailureOf(err, HRESULT_WRITE_FAULT));
    if (const HRESULT closed = pending.CloseWriter(output->pb); FAILED(closed)) Fail(closed);
    // A failed run leaves any older output as it was; a finished or stopped one
    // takes its place.
    if (FAILED(error.load()))
        pending.Discard();
    else if (const HRESULT moved = pending.Commit(); FAILED(moved))
        Fail(moved);
    // The event is queued before the run counts as finished, so that whoever waits
    // for the end finds it.
    if (const HRESULT hr = error.load(); FAILED(hr)) {
        events->Post(EC_ERRORABORT, hr, 0);
        events->MarkFinished(EC_ERRORABORT);
    } else if (!stopping) {
        if (endedEarly)
            events->Post(EC_COMPLETE, QV_S_SOURCE_ENDED_EARLY, reached.load());
        else
            events->Post(EC_COMPLETE, S_OK, 0);
        events->MarkFinished(EC_COMPLETE);
    }
}

Streamer::Streamer(RunPlan plan, std::shared_ptr<EventQueue> events)
    : impl_(std::make_unique<Impl>(std::move(plan), std::move(events), position_)) {}

Streamer::~Streamer() { Stop(); }

HRESULT Streamer::Start() {
    if (HRESULT hr = impl_->pending.Create(impl_->plan.outputPath, impl_->plan.source->path());
        FAILED(hr))
        return hr;
    if (HRESULT hr = impl_->OpenEncoders(); FAILED(hr)) return hr;
    if (HRESULT hr = impl_->OpenOutput(); FAILED(hr)) return hr;
    impl_->Launch();
    return S_OK;
}

void Streamer::Stop() {
    impl_->stopping = true;
    if (impl_->plan.source->guard) impl_->plan.source->guard->stop = true;
    impl_->AbortAll();
    for (auto& t : impl_->threads)
        if (t.joinable()) t.join();
    impl_->threads.clear();
}

}  // namespace media::detail
