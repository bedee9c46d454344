#include "platform/wmf/Runtime.h"

#include "platform/Installed.h"
#include "platform/wmf/WmfInternal.h"

namespace wmf {

void InstallRuntime(std::shared_ptr<Runtime> runtime) {
    InstalledOf<Runtime>().Install(std::move(runtime));
}

std::shared_ptr<Runtime> CurrentRuntime() { return InstalledOf<Runtime>().Current(); }

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
