#include "platform/media/Runtime.h"

#include <mutex>

#include "platform/media/Internal.h"

namespace media {
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

bool Runtime::OffersMuxer(const std::string& ffmpegName) {
    return av_guess_format(ffmpegName.c_str(), nullptr, nullptr) != nullptr;
}

HRESULT Runtime::BeforeWrite() { return S_OK; }

namespace detail {

HRESULT BeforeWrite() { return CurrentRuntime()->BeforeWrite(); }

}  // namespace detail
}  // namespace media
