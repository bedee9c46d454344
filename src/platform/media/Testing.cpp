#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/media/Internal.h"
#include "platform/media/MediaTesting.h"

namespace media {
namespace {

constexpr std::size_t kOperations = static_cast<std::size_t>(testing::Operation::Count);
std::array<std::atomic<HRESULT>, kOperations> forced{};
std::mutex namesMutex;
std::set<std::string> hiddenMuxers;
std::set<std::string> unreadableNames;

std::set<std::string> SplitList(const std::string& text) {
    std::set<std::string> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty()) out.insert(item);
    return out;
}

}  // namespace

namespace testing {

void ForceFailure(Operation op, HRESULT hr) {
    forced[static_cast<std::size_t>(op)] = FAILED(hr) ? hr : E_FAIL;
}

void ClearFailure(Operation op) { forced[static_cast<std::size_t>(op)] = S_OK; }

void ResetAll() {
    for (auto& f : forced) f = S_OK;
    std::lock_guard lock(namesMutex);
    hiddenMuxers.clear();
    unreadableNames.clear();
}

void HideMuxers(const std::string& commaSeparated) {
    std::lock_guard lock(namesMutex);
    for (const auto& name : SplitList(commaSeparated)) hiddenMuxers.insert(name);
}

void SetUnreadableDeviceName(const std::string& encoderName) {
    std::lock_guard lock(namesMutex);
    unreadableNames.insert(encoderName);
}

}  // namespace testing

namespace detail {

HRESULT ForcedFailure(testing::Operation op) { return forced[static_cast<std::size_t>(op)].load(); }

bool MuxerHidden(const std::string& ffmpegName) {
    if (const char* env = std::getenv("QUORVEL_HIDE_MUXERS"))
        if (SplitList(env).count(ffmpegName)) return true;
    std::lock_guard lock(namesMutex);
    return hiddenMuxers.count(ffmpegName) > 0;
}

bool DeviceNameUnreadable(const std::string& encoderName) {
    std::lock_guard lock(namesMutex);
    return unreadableNames.count(encoderName) > 0;
}

}  // namespace detail
}  // namespace media
