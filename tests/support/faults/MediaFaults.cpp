#include "MediaFaults.h"

#include <array>
#include <atomic>
#include <mutex>
#include <set>
#include <sstream>

#include "MediaWrappers.h"
#include "platform/media/Runtime.h"

namespace media::testing {
namespace {

constexpr std::size_t kOperations = static_cast<std::size_t>(Operation::Count);
std::array<std::atomic<HRESULT>, kOperations> forced{};
std::mutex namesMutex;
std::set<std::string> hiddenMuxers;
std::set<std::string> unreadableNames;
std::string leadingEncoder;

bool Listed(const std::set<std::string>& names, const std::string& name) {
    std::lock_guard lock(namesMutex);
    return names.count(name) > 0;
}

template <typename Wrapper, typename Made>
HRESULT Wrap(HRESULT hr, std::shared_ptr<Made>& out) {
    if (out) out = std::make_shared<Wrapper>(out);
    return hr;
}

class FaultyRuntime final : public Runtime {
public:
    HRESULT Initialize() override {
        const HRESULT hr = Forced(Operation::Initialize);
        return FAILED(hr) ? hr : Runtime::Initialize();
    }
    HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out) override {
        if (const HRESULT hr = Forced(Operation::CreateFilterGraph); FAILED(hr)) return hr;
        return Wrap<GraphWrapper>(Runtime::CreateFilterGraph(out), out);
    }
    HRESULT CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out) override {
        if (const HRESULT hr = Forced(Operation::CreateCaptureGraphBuilder); FAILED(hr)) return hr;
        return Wrap<BuilderWrapper>(Runtime::CreateCaptureGraphBuilder(out), out);
    }
    HRESULT CreateSystemDeviceEnum(std::shared_ptr<CreateDevEnum>& out) override {
        if (const HRESULT hr = Forced(Operation::CreateSystemDeviceEnum); FAILED(hr)) return hr;
        return Wrap<DeviceEnumWrapper>(Runtime::CreateSystemDeviceEnum(out), out);
    }
    std::shared_ptr<ConfigAsfWriter> QueryConfigAsfWriter(
        const std::shared_ptr<Filter>& filter) override {
        if (FAILED(Forced(Operation::QueryConfigAsfWriter))) return nullptr;
        return Runtime::QueryConfigAsfWriter(filter);
    }
    HRESULT EnumPins(const Filter& filter, std::shared_ptr<media::EnumPins>& out) override {
        out.reset();
        if (const HRESULT hr = Forced(Operation::EnumPins); FAILED(hr)) return hr;
        return Runtime::EnumPins(filter, out);
    }
    HRESULT ConnectionMediaType(const Pin& pin, MediaType& out) override {
        if (const HRESULT hr = Forced(Operation::ConnectionMediaType); FAILED(hr)) return hr;
        return Runtime::ConnectionMediaType(pin, out);
    }
    bool OffersMuxer(const std::string& ffmpegName) override {
        return !Listed(hiddenMuxers, ffmpegName) && Runtime::OffersMuxer(ffmpegName);
    }
    HRESULT BeforeWrite() override { return Forced(Operation::Streaming); }
};

void InstallFaultyRuntime() { InstallRuntime(std::make_shared<FaultyRuntime>()); }

// Every test process that links the faults has them in place before its first test.
[[maybe_unused]] const bool installedAtStart = (InstallFaultyRuntime(), true);

}  // namespace

HRESULT Forced(Operation op) { return forced[static_cast<std::size_t>(op)].load(); }

bool NameUnreadable(const std::string& encoderName) { return Listed(unreadableNames, encoderName); }

void ForceFailure(Operation op, HRESULT hr) {
    forced[static_cast<std::size_t>(op)] = FAILED(hr) ? hr : E_FAIL;
}

void ClearFailure(Operation op) { forced[static_cast<std::size_t>(op)] = S_OK; }

void ResetAll() {
    for (auto& f : forced) f = S_OK;
    {
        std::lock_guard lock(namesMutex);
        hiddenMuxers.clear();
        unreadableNames.clear();
        leadingEncoder.clear();
    }
    if (!dynamic_cast<FaultyRuntime*>(CurrentRuntime().get())) InstallFaultyRuntime();
}

void HideMuxers(const std::string& commaSeparated) {
    std::lock_guard lock(namesMutex);
    std::stringstream in(commaSeparated);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty()) hiddenMuxers.insert(item);
}

void AddLeadingEncoder(const std::string& friendlyName) {
    std::lock_guard lock(namesMutex);
    leadingEncoder = friendlyName;
}

std::string LeadingEncoder() {
    std::lock_guard lock(namesMutex);
    return leadingEncoder;
}

void SetUnreadableDeviceName(const std::string& encoderName) {
    std::lock_guard lock(namesMutex);
    unreadableNames.insert(encoderName);
}

}  // namespace media::testing
