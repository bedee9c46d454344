#include "platform/media/CoreShare.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace media {
namespace {
std::atomic<int> runsAtOnce{1};
}

void ShareCoresAmong(int runs) { runsAtOnce = std::max(1, runs); }

unsigned CoresPerRun() {
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 16u));
    return std::max(1u, cores / static_cast<unsigned>(runsAtOnce.load()));
}

int CodecThreads() { return runsAtOnce.load() > 1 ? static_cast<int>(CoresPerRun()) : 0; }

}  // namespace media
