#include "MediaWrappers.h"

#include <vector>

namespace media::testing {
namespace {

// A view of the graph asked for through the wrapper: wrapped too, failing when forced.
template <typename Wrapper, typename View, typename Query>
HRESULT WrappedView(Operation op, std::shared_ptr<View>& out, Query query) {
    out.reset();
    if (const HRESULT hr = Forced(op); FAILED(hr)) return hr;
    std::shared_ptr<View> inner;
    const HRESULT hr = query(inner);
    if (inner) out = std::make_shared<Wrapper>(std::move(inner));
    return hr;
}

class ControlWrapper final : public MediaControl {
public:
    explicit ControlWrapper(std::shared_ptr<MediaControl> inner) : inner_(std::move(inner)) {}
    HRESULT Run() override {
        if (const HRESULT hr = Forced(Operation::Run); FAILED(hr)) return hr;
        return inner_->Run();
    }
    HRESULT Stop() override { return inner_->Stop(); }

private:
    std::shared_ptr<MediaControl> inner_;
};

class EventsWrapper final : public MediaEventEx {
public:
    explicit EventsWrapper(std::shared_ptr<MediaEventEx> inner) : inner_(std::move(inner)) {}
    HRESULT GetEvent(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs) override {
        return inner_->GetEvent(code, param1, param2, timeoutMs);
    }
    HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) override {
        return inner_->FreeEventParams(code, param1, param2);
    }
    HRESULT SetNotifyWindow(std::function<void()> notify) override {
        if (const HRESULT hr = Forced(Operation::SetNotifyWindow); FAILED(hr)) return hr;
        return inner_->SetNotifyWindow(std::move(notify));
    }
    HRESULT WaitForCompletion(long timeoutMs, long& code) override {
        return inner_->WaitForCompletion(timeoutMs, code);
    }
    std::string FailureReason() override { return inner_->FailureReason(); }
    std::vector<media::RunNote> RunNotes() override { return inner_->RunNotes(); }

private:
    std::shared_ptr<MediaEventEx> inner_;
};

class SeekingWrapper final : public MediaSeeking {
public:
    explicit SeekingWrapper(std::shared_ptr<MediaSeeking> inner) : inner_(std::move(inner)) {}
    HRESULT GetStopPosition(std::int64_t& stop) override {
        if (const HRESULT hr = Forced(Operation::GetStopPosition); FAILED(hr)) return hr;
        return inner_->GetStopPosition(stop);
    }
    HRESULT GetCurrentPosition(std::int64_t& current) override {
        return inner_->GetCurrentPosition(current);
    }
    HRESULT SetPositions(std::int64_t start, std::int64_t stop) override {
        return inner_->SetPositions(start, stop);
    }

private:
    std::shared_ptr<MediaSeeking> inner_;
};

class VideoWrapper final : public BasicVideo {
public:
    explicit VideoWrapper(std::shared_ptr<BasicVideo> inner) : inner_(std::move(inner)) {}
    HRESULT GetVideoSize(long& width, long& height) override {
        if (const HRESULT hr = Forced(Operation::GetVideoSize); FAILED(hr)) return hr;
        return inner_->GetVideoSize(width, height);
    }
    HRESULT get_AvgTimePerFrame(double& seconds) override {
        if (const HRESULT hr = Forced(Operation::GetAvgTimePerFrame); FAILED(hr)) return hr;
        return inner_->get_AvgTimePerFrame(seconds);
    }

private:
    std::shared_ptr<BasicVideo> inner_;
};

class BagWrapper final : public PropertyBag {
public:
    explicit BagWrapper(std::shared_ptr<PropertyBag> inner) : inner_(std::move(inner)) {}
    HRESULT Read(const std::string& property, std::string& value) override {
        std::string encoder;
        if (property == "FriendlyName" && SUCCEEDED(inner_->Read("FFmpegEncoder", encoder)) &&
            NameUnreadable(encoder))
            return E_FAIL;
        return inner_->Read(property, value);
    }

private:
    std::shared_ptr<PropertyBag> inner_;
};

class MonikerWrapper final : public Moniker {
public:
    explicit MonikerWrapper(std::shared_ptr<Moniker> inner) : inner_(std::move(inner)) {}
    HRESULT BindToStorage(std::shared_ptr<PropertyBag>& out) override {
        out.reset();
        if (const HRESULT hr = Forced(Operation::BindToStorage); FAILED(hr)) return hr;
        const HRESULT hr = inner_->BindToStorage(out);
        if (out) out = std::make_shared<BagWrapper>(out);
        return hr;
    }
    HRESULT BindToObject(std::shared_ptr<Filter>& out) override {
        out.reset();
        if (const HRESULT hr = Forced(Operation::BindToObject); FAILED(hr)) return hr;
        return inner_->BindToObject(out);
    }
    HRESULT GetDisplayName(std::string& out) override { return inner_->GetDisplayName(out); }

private:
    std::shared_ptr<Moniker> inner_;
};

// The encoder added in front: named, of no container's codec, never bound.
class LeadingBag final : public PropertyBag {
public:
    explicit LeadingBag(std::string name) : name_(std::move(name)) {}
    HRESULT Read(const std::string& property, std::string& value) override {
        if (property == "FriendlyName") value = name_;
        else if (property == "FFmpegEncoder") value = "leading";
        else return E_INVALIDARG;
        return S_OK;
    }

private:
    std::string name_;
};

class LeadingMoniker final : public Moniker {
public:
    explicit LeadingMoniker(std::string name) : name_(std::move(name)) {}
    HRESULT BindToStorage(std::shared_ptr<PropertyBag>& out) override {
        out = std::make_shared<LeadingBag>(name_);
        return S_OK;
    }
    HRESULT BindToObject(std::shared_ptr<Filter>& out) override {
        out.reset();
        return E_FAIL;
    }
    HRESULT GetDisplayName(std::string& out) override {
        out = "@device:ffmpeg:leading";
        return S_OK;
    }

private:
    std::string name_;
};

}  // namespace

HRESULT GraphWrapper::RenderFile(const std::string& path) {
    const HRESULT hr = inner_->RenderFile(path);
    std::shared_ptr<media::EnumFilters> filters;
    if (SUCCEEDED(hr) && SUCCEEDED(inner_->EnumFilters(filters)))
        for (std::shared_ptr<Filter> f; filters->Next(f) == S_OK;) f->SetGraph(shared_from_this());
    return hr;
}

HRESULT GraphWrapper::AddFilter(const std::shared_ptr<Filter>& filter, const std::string& name) {
    const HRESULT hr = inner_->AddFilter(filter, name);
    if (SUCCEEDED(hr)) filter->SetGraph(shared_from_this());
    return hr;
}

HRESULT GraphWrapper::RemoveFilter(const std::shared_ptr<Filter>& filter) {
    if (const HRESULT hr = Forced(Operation::RemoveFilter); FAILED(hr)) return hr;
    return inner_->RemoveFilter(filter);
}

HRESULT GraphWrapper::EnumFilters(std::shared_ptr<media::EnumFilters>& out) {
    if (const HRESULT hr = Forced(Operation::EnumFilters); FAILED(hr)) {
        out.reset();
        return hr;
    }
    return inner_->EnumFilters(out);
}

HRESULT GraphWrapper::QueryMediaControl(std::shared_ptr<MediaControl>& out) {
    return WrappedView<ControlWrapper>(Operation::QueryMediaControl, out,
                                       [&](auto& view) { return inner_->QueryMediaControl(view); });
}

HRESULT GraphWrapper::QueryMediaEventEx(std::shared_ptr<MediaEventEx>& out) {
    return WrappedView<EventsWrapper>(Operation::QueryMediaEventEx, out,
                                      [&](auto& view) { return inner_->QueryMediaEventEx(view); });
}

HRESULT GraphWrapper::QueryMediaSeeking(std::shared_ptr<MediaSeeking>& out) {
    return WrappedView<SeekingWrapper>(Operation::QueryMediaSeeking, out,
                                       [&](auto& view) { return inner_->QueryMediaSeeking(view); });
}

HRESULT GraphWrapper::QueryBasicVideo(std::shared_ptr<BasicVideo>& out) {
    return WrappedView<VideoWrapper>(Operation::QueryBasicVideo, out,
                                     [&](auto& view) { return inner_->QueryBasicVideo(view); });
}

HRESULT DeviceEnumWrapper::CreateClassEnumerator(const Guid& category,
                                                 std::shared_ptr<EnumMoniker>& out,
                                                 unsigned long flags) {
    out.reset();
    if (const HRESULT hr = Forced(Operation::CreateClassEnumerator); FAILED(hr)) return hr;
    if (FAILED(Forced(Operation::EmptyCategory))) return S_FALSE;
    std::shared_ptr<EnumMoniker> inner;
    const HRESULT hr = inner_->CreateClassEnumerator(category, inner, flags);
    if (!inner) return hr;
    std::vector<std::shared_ptr<Moniker>> wrapped;
    if (const std::string leading = LeadingEncoder(); !leading.empty())
        wrapped.push_back(std::make_shared<LeadingMoniker>(leading));
    std::shared_ptr<Moniker> moniker;
    while (inner->Next(moniker) == S_OK)
        wrapped.push_back(std::make_shared<MonikerWrapper>(moniker));
    out = std::make_shared<EnumMoniker>(std::move(wrapped));
    return hr;
}

}  // namespace media::testing
