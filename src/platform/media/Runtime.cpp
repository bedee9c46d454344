#include "platform/media/Runtime.h"

#include "platform/Installed.h"
#include "platform/media/Internal.h"

namespace media {

void InstallRuntime(std::shared_ptr<Runtime> runtime) {
    InstalledOf<Runtime>().Install(std::move(runtime));
}

std::shared_ptr<Runtime> CurrentRuntime() { return InstalledOf<Runtime>().Current(); }

bool Runtime::OffersMuxer(const std::string& ffmpegName) {
    return av_guess_format(ffmpegName.c_str(), nullptr, nullptr) != nullptr;
}

HRESULT Runtime::BeforeWrite() { return S_OK; }

namespace detail {

HRESULT BeforeWrite() { return CurrentRuntime()->BeforeWrite(); }

}  // namespace detail
}  // namespace media
