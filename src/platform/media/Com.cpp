#include "platform/media/Com.h"

#include <atomic>

#include "platform/media/Internal.h"
#include "platform/media/Runtime.h"

namespace media {
namespace {
std::atomic<int> initCount{0};
}

HRESULT Initialize() { return CurrentRuntime()->Initialize(); }

HRESULT Runtime::Initialize() {
    detail::EnsureFfmpegReady();
    return initCount.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

void Uninitialize() {
    int current = initCount.load();
    while (current > 0 && !initCount.compare_exchange_weak(current, current - 1)) {
    }
}

}  // namespace media
