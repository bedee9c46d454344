#include <array>
#include <atomic>
#include <mutex>

#include "platform/wmf/WmfInternal.h"

namespace wmf {
namespace {

constexpr std::size_t kOperations = static_cast<std::size_t>(testing::Operation::Count);
std::array<std::atomic<HRESULT>, kOperations> forced{};
std::mutex codecsMutex;
bool audioInstalled = false;
bool videoInstalled = false;
std::vector<testing::Codec> installedAudio;
std::vector<testing::Codec> installedVideo;

}  // namespace

namespace testing {

void InstallCodecs(const GUID& major, std::vector<Codec> codecs) {
    std::lock_guard lock(codecsMutex);
    if (major == WMMEDIATYPE_Video) {
        installedVideo = std::move(codecs);
        videoInstalled = true;
    } else {
        installedAudio = std::move(codecs);
        audioInstalled = true;
    }
}

void ForceFailure(Operation op, HRESULT hr) {
    forced[static_cast<std::size_t>(op)] = FAILED(hr) ? hr : E_FAIL;
}

void ResetAll() {
    for (auto& f : forced) f = S_OK;
    std::lock_guard lock(codecsMutex);
    audioInstalled = videoInstalled = false;
    installedAudio.clear();
    installedVideo.clear();
}

}  // namespace testing

namespace detail {

bool InstalledCodecs(const GUID& major, std::vector<testing::Codec>& out) {
    std::lock_guard lock(codecsMutex);
    const bool video = major == WMMEDIATYPE_Video;
    if (!(video ? videoInstalled : audioInstalled)) return false;
    out = video ? installedVideo : installedAudio;
    return true;
}

HRESULT ForcedFailure(testing::Operation op) { return forced[static_cast<std::size_t>(op)].load(); }

}  // namespace detail
}  // namespace wmf
