#pragma once
// What the fault-injecting runtime hands out in place of the layer's objects: each
// wraps the layer's own, fails the calls forced to fail and passes every other on.
#include <memory>
#include <string>

#include "MediaFaults.h"
#include "platform/media/CaptureGraphBuilder.h"
#include "platform/media/DeviceEnum.h"
#include "platform/media/FilterGraph.h"

namespace media::testing {

// The code forced for `op`; S_OK when none is.
HRESULT Forced(Operation op);
bool NameUnreadable(const std::string& encoderName);
std::string LeadingEncoder();  // empty: none

// Filters added through the wrapper belong to it, as they belong to the graph the
// caller holds on the platform.
class GraphWrapper final : public FilterGraph, public std::enable_shared_from_this<GraphWrapper> {
public:
    explicit GraphWrapper(std::shared_ptr<FilterGraph> inner) : inner_(std::move(inner)) {}

    HRESULT RenderFile(const std::string& path) override;
    HRESULT AddFilter(const std::shared_ptr<Filter>& filter, const std::string& name) override;
    HRESULT RemoveFilter(const std::shared_ptr<Filter>& filter) override;
    HRESULT Disconnect(const std::shared_ptr<Pin>& pin) override { return inner_->Disconnect(pin); }
    HRESULT EnumFilters(std::shared_ptr<media::EnumFilters>& out) override;
    HRESULT FindFilterByName(const std::string& name, std::shared_ptr<Filter>& out) override {
        return inner_->FindFilterByName(name, out);
    }
    HRESULT QueryMediaControl(std::shared_ptr<MediaControl>& out) override;
    HRESULT QueryMediaEventEx(std::shared_ptr<MediaEventEx>& out) override;
    HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>& out) override;
    HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>& out) override;
    FilterGraph& Underlying() override { return inner_->Underlying(); }

private:
    std::shared_ptr<FilterGraph> inner_;
};

class BuilderWrapper final : public CaptureGraphBuilder {
public:
    explicit BuilderWrapper(std::shared_ptr<CaptureGraphBuilder> inner)
        : inner_(std::move(inner)) {}

    HRESULT SetFiltergraph(const std::shared_ptr<FilterGraph>& graph) override {
        if (const HRESULT hr = Forced(Operation::SetFiltergraph); FAILED(hr)) return hr;
        return inner_->SetFiltergraph(graph);
    }
    HRESULT SetOutputFileName(const Guid& writerType, const std::string& path,
                              std::shared_ptr<Filter>& multiplexer,
                              std::shared_ptr<Filter>& sink) override {
        return inner_->SetOutputFileName(writerType, path, multiplexer, sink);
    }
    HRESULT RenderStream(const Guid* category, const Guid* type, const std::shared_ptr<Pin>& source,
                         const std::shared_ptr<Filter>& compressor,
                         const std::shared_ptr<Filter>& multiplexer) override {
        return inner_->RenderStream(category, type, source, compressor, multiplexer);
    }

private:
    std::shared_ptr<CaptureGraphBuilder> inner_;
};

class DeviceEnumWrapper final : public CreateDevEnum {
public:
    explicit DeviceEnumWrapper(std::shared_ptr<CreateDevEnum> inner) : inner_(std::move(inner)) {}
    HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<EnumMoniker>& out,
                                  unsigned long flags) override;

private:
    std::shared_ptr<CreateDevEnum> inner_;
};

}  // namespace media::testing
