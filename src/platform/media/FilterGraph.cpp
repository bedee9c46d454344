// The filter graph manager: graph editing, and the views (control, events, seeking,
// basic video) on the same object. Opening the source is in SourceFile.cpp.
#include "platform/media/FilterGraph.h"

#include <algorithm>
#include <cstdio>

#include "platform/media/Internal.h"
#include "platform/media/PendingOutput.h"
#include "platform/media/Runtime.h"
#include "platform/media/Streaming.h"

namespace media {
namespace detail {
namespace {

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

    // Each view shares the graph's ownership.
    template <typename View>
    HRESULT Query(std::shared_ptr<View>& out) {
        out = std::shared_ptr<View>(shared_from_this(), static_cast<View*>(this));
        return S_OK;
    }
    HRESULT QueryMediaControl(std::shared_ptr<MediaControl>& out) override { return Query(out); }
    HRESULT QueryMediaEventEx(std::shared_ptr<MediaEventEx>& out) override { return Query(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>& out) override { return Query(out); }
    HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>& out) override { return Query(out); }

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
        return events_->SetNotify(std::move(notify));
    }
    HRESULT WaitForCompletion(long timeoutMs, long& code) override {
        return events_->WaitFinished(timeoutMs, code);
    }
    std::string FailureReason() override { return events_->Reason(); }
    std::vector<RunNote> RunNotes() override { return events_->Notes(); }

    // ---- MediaSeeking ----
    HRESULT GetStopPosition(std::int64_t& stop) override;
    HRESULT GetCurrentPosition(std::int64_t& current) override {
        std::lock_guard lock(mutex_);
        current = streamer_ ? streamer_->Position() : lastPosition_;
        return S_OK;
    }

    HRESULT SetPositions(std::int64_t start, std::int64_t stop) override {
        if (start < 0 || stop < 0 || (stop > 0 && stop <= start)) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        start_ = start;
        stop_ = stop;
        return S_OK;
    }

    // ---- BasicVideo ----
    HRESULT GetVideoSize(long& width, long& height) override {
        MediaType type;
        if (!VideoRendererType(type)) return E_NOINTERFACE;
        width = type.width;
        height = type.height;
        return S_OK;
    }
    HRESULT get_AvgTimePerFrame(double& seconds) override {
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
    std::int64_t start_ = 0;  // the part to convert, 100 ns (SetPositions)
    std::int64_t stop_ = 0;
};

HRESULT FilterGraphImpl::RenderFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (streamer_ || stopping_) return VFW_E_NOT_STOPPED;
    if (FirstOfKind<SourceFilter>()) return VFW_E_WRONG_STATE;
    if (path.empty()) return E_INVALIDARG;
    std::vector<std::shared_ptr<Filter>> made;
    const HRESULT hr = OpenSourceFilters(path, made);
    if (FAILED(hr)) return hr;
    for (const auto& f : made) AddLocked(f, f->Name());
    return hr;
}

HRESULT FilterGraphImpl::GetStopPosition(std::int64_t& stop) {
    std::lock_guard lock(mutex_);
    auto source = FirstOfKind<SourceFilter>();
    return source ? SourceDuration(*source, stop) : E_NOTIMPL;
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
    plan.writer = writer;

    for (const auto& route : plan.mux->routes) {
        if (!route.muxInput->peer()) continue;  // taken out of the graph since: not written
        std::shared_ptr<Pin> upstream = FirstPin(*route.decoder, PINDIR_OUTPUT);
        bool intact = contains(route.decoder) && route.decoder->source.lock() == plan.source;
        for (const std::shared_ptr<Filter>& step : {std::shared_ptr<Filter>(route.converter),
                                                    std::shared_ptr<Filter>(route.compressor),
                                                    std::shared_ptr<Filter>(route.keep)}) {
            if (!step) continue;
            intact = intact && contains(step) && Linked(upstream, FirstPin(*step, PINDIR_INPUT));
            upstream = FirstPin(*step, PINDIR_OUTPUT);
        }
        if (!intact || !Linked(upstream, route.muxInput)) return VFW_E_NOT_CONNECTED;
        plan.routes.push_back(route);
    }
    if (plan.routes.empty()) return VFW_E_NOT_CONNECTED;
    plan.start = start_;
    plan.stop = stop_;

    return S_OK;
}

HRESULT FilterGraphImpl::Run() {
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
    return CurrentRuntime()->CreateFilterGraph(out);
}

HRESULT Runtime::CreateFilterGraph(std::shared_ptr<FilterGraph>& out) {
    detail::EnsureFfmpegReady();
    out = std::make_shared<detail::FilterGraphImpl>();
    return S_OK;
}

}  // namespace media
