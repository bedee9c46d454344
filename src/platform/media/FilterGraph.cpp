// The filter graph manager: RenderFile over libavformat, graph editing, and the views
// (control, events, seeking, basic video) on the same object.
#include "platform/media/FilterGraph.h"

#include <algorithm>
#include <cstdio>

#include "platform/media/Internal.h"
#include "platform/media/PendingOutput.h"
#include "platform/media/Streaming.h"

extern "C" {
#include <libavutil/time.h>
}

namespace media {
namespace detail {
namespace {

// Opening and probing a local file takes milliseconds; a read stuck for this long
// (a hung network mount) is given up rather than freezing the window.
constexpr std::int64_t kOpenTimeLimitUs = 30'000'000;

using testing::Operation;

int PickStream(AVFormatContext* ic, AVMediaType type, int related) {
    int best = av_find_best_stream(ic, type, -1, related, nullptr, 0);
    auto usable = [&](int index) {
        if (index < 0) return false;
        const AVStream* st = ic->streams[index];
        const AVCodecParameters* par = st->codecpar;
        if (type == AVMEDIA_TYPE_VIDEO)
            return !(st->disposition & AV_DISPOSITION_ATTACHED_PIC) && par->width > 0 &&
                   par->height > 0;
        return par->sample_rate > 0 && par->ch_layout.nb_channels > 0;
    };
    if (usable(best)) return best;
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (ic->streams[i]->codecpar->codec_type == type && usable(static_cast<int>(i)))
            return static_cast<int>(i);
    return -1;
}

CodecContextPtr OpenDecoder(AVFormatContext* ic, int index) {
    const AVStream* st = ic->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) return nullptr;
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return nullptr;
    ctx->pkt_timebase = st->time_base;
    ctx->thread_count = 0;  // as many as the machine has: decoding runs beside encoding
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
    return ctx;
}

MediaType CompressedType(const AVStream* st, AVRational frameRate) {
    MediaType t;
    const AVCodecParameters* par = st->codecpar;
    t.majortype = par->codec_type == AVMEDIA_TYPE_VIDEO ? MEDIATYPE_Video : MEDIATYPE_Audio;
    t.subtype = avcodec_get_name(par->codec_id);
    t.width = par->width;
    t.height = par->height;
    t.frameRateNum = frameRate.num;
    t.frameRateDen = frameRate.den;
    t.sampleRate = par->sample_rate;
    t.channels = par->ch_layout.nb_channels;
    return t;
}

MediaType DecodedType(const AVCodecContext* ctx, AVRational frameRate) {
    MediaType t;
    if (ctx->codec_type == AVMEDIA_TYPE_VIDEO) {
        t.majortype = MEDIATYPE_Video;
        const char* name = av_get_pix_fmt_name(ctx->pix_fmt);
        t.subtype = name ? name : "video";
        t.width = ctx->width;
        t.height = ctx->height;
        t.frameRateNum = frameRate.num;
        t.frameRateDen = frameRate.den;
    } else {
        t.majortype = MEDIATYPE_Audio;
        const char* name = av_get_sample_fmt_name(ctx->sample_fmt);
        t.subtype = name ? name : "audio";
        t.sampleRate = ctx->sample_rate;
        t.channels = ctx->ch_layout.nb_channels;
    }
    return t;
}

bool Linked(const std::shared_ptr<Pin>& output, const std::shared_ptr<Pin>& input) {
    return output && input && output->peer() == input && input->peer() == output;
}

class FilterGraphImpl final : public FilterGraph,
                              public MediaControl,
                              public MediaEventEx,
                              public MediaSeeking,
                              public BasicVideo,
                              public GraphInternals,
                              public std::enable_shared_from_this<FilterGraphImpl> {
public:
    ~FilterGraphImpl() override {
        if (streamer_) streamer_->Stop();
    }

    // ---- FilterGraph ----
    HRESULT RenderFile(const std::string& path) override;

    HRESULT AddFilter(const std::shared_ptr<Filter>& filter, const std::string& name) override {
        if (!filter) return E_POINTER;
        std::lock_guard lock(mutex_);
        if (streamer_ || stopping_) return VFW_E_NOT_STOPPED;
        if (filter->graph()) return E_INVALIDARG;
        AddLocked(filter, name.empty() ? filter->Name() : name);
        return S_OK;
    }

    HRESULT RemoveFilter(const std::shared_ptr<Filter>& filter) override {
        if (const HRESULT forced = ForcedFailure(Operation::RemoveFilter); FAILED(forced))
            return forced;
        if (!filter) return E_POINTER;
        std::lock_guard lock(mutex_);
        if (streamer_ || stopping_) return VFW_E_NOT_STOPPED;
        auto it = std::find(filters_.begin(), filters_.end(), filter);
        if (it == filters_.end()) return VFW_E_NOT_FOUND;
        for (const auto& pin : filter->pins()) {
            if (auto peer = pin->peer(); peer && peer->peer() == pin) peer->ClearPeer();
            pin->ClearPeer();
        }
        filters_.erase(it);
        filter->SetGraph(nullptr);
        return S_OK;
    }

    HRESULT Disconnect(const std::shared_ptr<Pin>& pin) override {
        if (!pin) return E_POINTER;
        std::lock_guard lock(mutex_);
        if (streamer_ || stopping_) return VFW_E_NOT_STOPPED;
        if (!pin->peer()) return S_FALSE;
        pin->ClearPeer();
        return S_OK;
    }

    HRESULT EnumFilters(std::shared_ptr<media::EnumFilters>& out) override {
        if (const HRESULT forced = ForcedFailure(Operation::EnumFilters); FAILED(forced)) {
            out.reset();
            return forced;
        }
        std::lock_guard lock(mutex_);
        out = std::make_shared<media::EnumFilters>(filters_);
        return S_OK;
    }

    HRESULT FindFilterByName(const std::string& name, std::shared_ptr<Filter>& out) override {
        std::lock_guard lock(mutex_);
        for (const auto& f : filters_)
            if (f->Name() == name) {
                out = f;
                return S_OK;
            }
        out.reset();
        return VFW_E_NOT_FOUND;
    }

    template <typename View>
    HRESULT Query(Operation op, std::shared_ptr<View>& out) {
        if (const HRESULT forced = ForcedFailure(op); FAILED(forced)) {
            out.reset();
            return forced;
        }
        out = std::shared_ptr<View>(shared_from_this(), static_cast<View*>(this));
        return S_OK;
    }
    HRESULT QueryMediaControl(std::shared_ptr<MediaControl>& out) override {
        return Query(Operation::QueryMediaControl, out);
    }
    HRESULT QueryMediaEventEx(std::shared_ptr<MediaEventEx>& out) override {
        return Query(Operation::QueryMediaEventEx, out);
    }
    HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>& out) override {
        return Query(Operation::QueryMediaSeeking, out);
    }
    HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>& out) override {
        return Query(Operation::QueryBasicVideo, out);
    }

    // ---- MediaControl ----
    HRESULT Run() override;

    HRESULT Stop() override {
        // Joined outside the lock: a notification running on a streaming thread may
        // still ask the graph something while we wait for it.
        std::unique_ptr<Streamer> streamer;
        {
            std::lock_guard lock(mutex_);
            if (!streamer_) return S_OK;
            streamer = std::move(streamer_);
            lastPosition_ = streamer->Position();
            stopping_ = true;
        }
        streamer->Stop();
        std::lock_guard lock(mutex_);
        lastPosition_ = streamer->Position();
        stopping_ = false;
        events_->MarkFinished(EC_USERABORT);
        return S_OK;
    }

    // ---- MediaEventEx ----
    HRESULT GetEvent(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs) override {
        return events_->Get(code, param1, param2, timeoutMs);
    }
    HRESULT FreeEventParams(long, LONG_PTR, LONG_PTR) override { return S_OK; }
    HRESULT SetNotifyWindow(std::function<void()> notify) override {
        if (const HRESULT forced = ForcedFailure(Operation::SetNotifyWindow); FAILED(forced))
            return forced;
        return events_->SetNotify(std::move(notify));
    }
    HRESULT WaitForCompletion(long timeoutMs, long& code) override {
        return events_->WaitFinished(timeoutMs, code);
    }
    std::string FailureReason() override { return events_->Reason(); }

    // ---- MediaSeeking ----
    HRESULT GetStopPosition(std::int64_t& stop) override;
    HRESULT GetCurrentPosition(std::int64_t& current) override {
        std::lock_guard lock(mutex_);
        current = streamer_ ? streamer_->Position() : lastPosition_;
        return S_OK;
    }

    // ---- BasicVideo ----
    HRESULT GetVideoSize(long& width, long& height) override {
        if (const HRESULT forced = ForcedFailure(Operation::GetVideoSize); FAILED(forced))
            return forced;
        MediaType type;
        if (!VideoRendererType(type)) return E_NOINTERFACE;
        width = type.width;
        height = type.height;
        return S_OK;
    }
    HRESULT get_AvgTimePerFrame(double& seconds) override {
        if (const HRESULT forced = ForcedFailure(Operation::GetAvgTimePerFrame); FAILED(forced))
            return forced;
        MediaType type;
        if (!VideoRendererType(type)) return E_NOINTERFACE;
        if (type.frameRateNum <= 0 || type.frameRateDen <= 0) return E_FAIL;
        seconds = static_cast<double>(type.frameRateDen) / type.frameRateNum;
        return S_OK;
    }

    // ---- GraphInternals ----
    bool Contains(const std::shared_ptr<Filter>& filter) const override {
        std::lock_guard lock(mutex_);
        return std::find(filters_.begin(), filters_.end(), filter) != filters_.end();
    }
    bool IsRunning() const override {
        std::lock_guard lock(mutex_);
        return streamer_ != nullptr || stopping_;
    }

private:
    void AddLocked(const std::shared_ptr<Filter>& filter, const std::string& name) {
        auto taken = [&](const std::string& candidate) {
            return std::any_of(filters_.begin(), filters_.end(),
                               [&](const auto& f) { return f->Name() == candidate; });
        };
        std::string unique = name;
        for (int n = 1; taken(unique); ++n) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, " %04d", n);
            unique = name + suffix;
        }
        filter->SetName(unique);
        filter->SetGraph(shared_from_this());
        filters_.push_back(filter);
    }

    template <typename T>
    std::shared_ptr<T> FirstOfKind() const {
        for (const auto& f : filters_)
            if (auto t = std::dynamic_pointer_cast<T>(f)) return t;
        return nullptr;
    }

    bool VideoRendererType(MediaType& type) const {
        std::lock_guard lock(mutex_);
        for (const auto& f : filters_) {
            if (!std::dynamic_pointer_cast<RendererFilter>(f)) continue;
            auto pin = FirstPin(*f, PINDIR_INPUT);
            if (pin && pin->peer() && pin->mediaType().majortype == MEDIATYPE_Video) {
                type = pin->mediaType();
                return true;
            }
        }
        return false;
    }

    HRESULT PlanRun(RunPlan& plan) const;

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Filter>> filters_;
    std::shared_ptr<EventQueue> events_ = std::make_shared<EventQueue>();
    std::unique_ptr<Streamer> streamer_;
    bool stopping_ = false;  // Stop is joining the streaming threads
    std::int64_t lastPosition_ = 0;
};

HRESULT FilterGraphImpl::RenderFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (streamer_ || stopping_) return VFW_E_NOT_STOPPED;
    if (FirstOfKind<SourceFilter>()) return VFW_E_WRONG_STATE;
    if (path.empty()) return E_INVALIDARG;
    EnsureFfmpegReady();

    // A pipe or a device would block the reader (and the window) for good.
    if (const HRESULT hr = CheckSourceFile(path); FAILED(hr)) return hr;
    auto guard = std::make_unique<ReadGuard>();
    guard->deadline = av_gettime_relative() + kOpenTimeLimitUs;
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return E_OUTOFMEMORY;
    raw->interrupt_callback = {&ReadGuard::Interrupted, guard.get()};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);  // never the network
    int err = avformat_open_input(&raw, FileUrl(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (err < 0)
        return FromAvError(
            err, err == AVERROR_INVALIDDATA ? VFW_E_UNKNOWN_FILE_TYPE : VFW_E_CANNOT_RENDER);
    InputPtr input(raw);
    if ((err = avformat_find_stream_info(raw, nullptr)) < 0)
        return FromAvError(err, VFW_E_INVALID_FILE_FORMAT);
    guard->deadline = 0;  // from here on only a stopping run interrupts

    const int videoIndex = PickStream(raw, AVMEDIA_TYPE_VIDEO, -1);
    const int audioIndex = PickStream(raw, AVMEDIA_TYPE_AUDIO, videoIndex);
    if (videoIndex < 0 && audioIndex < 0) return VFW_E_CANNOT_RENDER;
    CodecContextPtr videoDecoder = videoIndex >= 0 ? OpenDecoder(raw, videoIndex) : nullptr;
    CodecContextPtr audioDecoder = audioIndex >= 0 ? OpenDecoder(raw, audioIndex) : nullptr;
    if (!videoDecoder && !audioDecoder) return VFW_E_NO_DECOMPRESSOR;
    const bool partial = (videoIndex >= 0 && !videoDecoder) || (audioIndex >= 0 && !audioDecoder);

    auto source = std::make_shared<SourceFilter>(path);
    source->videoStream = videoDecoder ? videoIndex : -1;
    source->audioStream = audioDecoder ? audioIndex : -1;
    AddLocked(source, path);

    std::vector<std::shared_ptr<Filter>> renderers;
    auto addStream = [&](int index, CodecContextPtr context, const Guid& major, const char* pinName,
                         const char* rendererName, const char* rendererPin) {
        AVStream* st = raw->streams[index];
        const AVRational rate = st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                                    ? av_guess_frame_rate(raw, st, nullptr)
                                    : AVRational{0, 1};
        auto out = source->AddPin(PINDIR_OUTPUT, pinName, major);
        const std::string decoderName = std::string(major == MEDIATYPE_Video ? "Video" : "Audio") +
                                        " Decoder (" + context->codec->name + ")";
        auto decoder =
            std::make_shared<DecoderFilter>(decoderName, index, st->codecpar->codec_type);
        const MediaType decoded = DecodedType(context.get(), rate);
        decoder->context = std::move(context);
        decoder->source = source;
        auto in = decoder->AddPin(PINDIR_INPUT, "In", major);
        auto decodedPin = decoder->AddPin(PINDIR_OUTPUT, "Out", major);
        ConnectPins(out, in, CompressedType(st, rate));
        AddLocked(decoder, decoderName);

        auto renderer = std::make_shared<RendererFilter>(rendererName);
        ConnectPins(decodedPin, renderer->AddPin(PINDIR_INPUT, rendererPin, major), decoded);
        renderers.push_back(renderer);
    };
    if (videoDecoder)
        addStream(videoIndex, std::move(videoDecoder), MEDIATYPE_Video, "Video", "Video Renderer",
                  "VMR Input0");
    if (audioDecoder)
        addStream(audioIndex, std::move(audioDecoder), MEDIATYPE_Audio, "Audio",
                  "Default DirectSound Device", "Audio Input pin (rendered)");
    source->guard = std::move(guard);
    source->input = std::move(input);
    for (const auto& r : renderers) AddLocked(r, r->Name());
    return partial ? VFW_S_PARTIAL_RENDER : S_OK;
}

HRESULT FilterGraphImpl::GetStopPosition(std::int64_t& stop) {
    if (const HRESULT forced = ForcedFailure(Operation::GetStopPosition); FAILED(forced))
        return forced;
    std::lock_guard lock(mutex_);
    auto source = FirstOfKind<SourceFilter>();
    if (!source || !source->input) return E_NOTIMPL;
    AVFormatContext* ic = source->input.get();
    if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0) {
        stop = av_rescale(ic->duration, 10'000'000, AV_TIME_BASE);
        return S_OK;
    }
    std::int64_t longest = -1;
    for (int index : {source->videoStream, source->audioStream}) {
        if (index < 0) continue;
        const AVStream* st = ic->streams[index];
        if (st->duration != AV_NOPTS_VALUE)
            longest = std::max(
                longest, av_rescale_q(st->duration, st->time_base, AVRational{1, 10'000'000}));
    }
    if (longest < 0) return E_FAIL;
    stop = longest;
    return S_OK;
}

HRESULT FilterGraphImpl::PlanRun(RunPlan& plan) const {
    plan.source = FirstOfKind<SourceFilter>();
    for (const auto& f : filters_)
        if (auto mux = std::dynamic_pointer_cast<MuxFilter>(f); mux && !mux->routes.empty()) {
            plan.mux = mux;
            break;
        }
    if (!plan.source || !plan.mux) return QV_E_NO_STREAMS;
    if (plan.source->consumed) return VFW_E_WRONG_STATE;

    auto contains = [&](const std::shared_ptr<Filter>& f) {
        return std::find(filters_.begin(), filters_.end(), f) != filters_.end();
    };
    auto muxOut = FirstPin(*plan.mux, PINDIR_OUTPUT);
    auto writerPin = muxOut ? muxOut->peer() : nullptr;
    auto writer =
        writerPin ? std::dynamic_pointer_cast<FileWriterFilter>(writerPin->owner()) : nullptr;
    if (!writer || !contains(writer) || !Linked(muxOut, writerPin)) return VFW_E_NOT_CONNECTED;
    plan.outputPath = writer->path();

    for (const auto& route : plan.mux->routes) {
        if (!route.muxInput->peer()) continue;  // taken out of the graph since: not written
        std::shared_ptr<Pin> upstream = FirstPin(*route.decoder, PINDIR_OUTPUT);
        bool intact = contains(route.decoder) && route.decoder->source.lock() == plan.source;
        for (const std::shared_ptr<Filter>& step : {std::shared_ptr<Filter>(route.converter),
                                                    std::shared_ptr<Filter>(route.compressor)}) {
            if (!step) continue;
            intact = intact && contains(step) && Linked(upstream, FirstPin(*step, PINDIR_INPUT));
            upstream = FirstPin(*step, PINDIR_OUTPUT);
        }
        if (!intact || !Linked(upstream, route.muxInput)) return VFW_E_NOT_CONNECTED;
        plan.routes.push_back(route);
    }
    if (plan.routes.empty()) return VFW_E_NOT_CONNECTED;

    return S_OK;
}

HRESULT FilterGraphImpl::Run() {
    if (const HRESULT forced = ForcedFailure(Operation::Run); FAILED(forced)) return forced;
    std::lock_guard lock(mutex_);
    if (streamer_) return S_OK;
    if (stopping_) return VFW_E_WRONG_STATE;
    RunPlan plan;
    if (const HRESULT hr = PlanRun(plan); FAILED(hr)) return hr;
    auto source = plan.source;
    auto streamer = std::make_unique<Streamer>(std::move(plan), events_);
    events_->ClearFinished();
    if (const HRESULT hr = streamer->Start(); FAILED(hr)) return hr;
    source->consumed = true;
    streamer_ = std::move(streamer);
    return S_OK;
}

}  // namespace
}  // namespace detail

HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out) {
    out.reset();
    if (const HRESULT forced = detail::ForcedFailure(testing::Operation::CreateFilterGraph);
        FAILED(forced))
        return forced;
    detail::EnsureFfmpegReady();
    out = std::make_shared<detail::FilterGraphImpl>();
    return S_OK;
}

}  // namespace media
