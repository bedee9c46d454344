#include "platform/wmf/Runtime.h"

#include <mutex>

#include "platform/wmf/WmfInternal.h"

namespace wmf {
namespace {

std::mutex runtimeMutex;

std::shared_ptr<Runtime>& Installed() {
    static std::shared_ptr<Runtime> installed = std::make_shared<Runtime>();
    return installed;
}

}  // namespace

void InstallRuntime(std::shared_ptr<Runtime> runtime) {
    std::lock_guard lock(runtimeMutex);
    Installed() = runtime ? std::move(runtime) : std::make_shared<Runtime>();
}

std::shared_ptr<Runtime> CurrentRuntime() {
    std::lock_guard lock(runtimeMutex);
    return Installed();
}

std::vector<CodecEntry> Runtime::Codecs(const GUID& major) { return detail::BuiltInCodecs(major); }

HRESULT Runtime::CreateProfileManager(std::shared_ptr<WMProfileManager>& manager) {
    manager = detail::MakeProfileManager(Codecs(WMMEDIATYPE_Audio), Codecs(WMMEDIATYPE_Video));
    return S_OK;
}

HRESULT WMCreateProfileManager(std::shared_ptr<WMProfileManager>& manager) {
    manager.reset();
    return CurrentRuntime()->CreateProfileManager(manager);
}

}  // namespace wmf
