#include "platform/media/TwoPass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/media/LockedFiles.h"

namespace media::detail {
namespace {

bool Named(const AVCodec& encoder, const char* name) {
    return std::strcmp(encoder.name, name) == 0;
}

constexpr std::string_view kFolderPrefix = "quorvel-passes-";  // + mkdtemp's 6 characters
constexpr const char* kLockPrefix = "run-";

// The pass folders of runs that were killed: the user's own, whose lock file
// nobody holds (a live run holds its own as long as it lasts).
void RemoveDeadFolders(const std::string& base) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != kFolderPrefix.size() + 6 || !name.starts_with(kFolderPrefix)) continue;
        const int dir =
            ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir < 0) continue;
        struct stat st {};
        const bool dead =
            ::fstat(dir, &st) == 0 && st.st_uid == ::geteuid() && RemoveUnheld(dir, kLockPrefix) > 0;
        ::close(dir);
        std::error_code ignored;
        if (dead) fs::remove_all(it->path(), ignored);
    }
}

// The container's bytes: its header and index, and a few bytes per packet
// (MP4's sample tables, Matroska's block headers and cues).
std::int64_t ContainerBytes(const SizeBudget& budget) { return 16384 + 24 * budget.packets; }

// The least picture worth looking at: a twentieth of a bit per pixel shown.
std::int64_t LeastPictureBitRate(const SizeBudget& budget) {
    return std::max<std::int64_t>(64000, std::llround(budget.pixelsPerSecond / 200));
}

}  // namespace

bool HasTwoPasses(const AVCodec& encoder) {
    for (const char* name : {"libx264", "libx265", "libvpx", "libvpx-vp9", "libaom-av1"})
        if (Named(encoder, name)) return true;
    return false;
}

void SetUpPass(AVCodecContext& enc, PassSetup& pass) {
    if (pass.bitRate > 0) enc.bit_rate = pass.bitRate;
    if (pass.pass == 0 || !HasTwoPasses(*enc.codec)) return;
    if (Named(*enc.codec, "libx265")) {
        // x265 reads its passes from its own parameters only.
        std::uint8_t* own = nullptr;
        av_opt_get(enc.priv_data, "x265-params", 0, &own);
        std::string params = own && *own ? reinterpret_cast<char*>(own) + std::string(":") : "";
        av_free(own);
        params += "pass=" + std::to_string(pass.pass) + ":stats=" + pass.statsFolder + "/x265.log";
        av_opt_set(enc.priv_data, "x265-params", params.c_str(), 0);
        return;
    }
    enc.flags |= pass.pass == 1 ? AV_CODEC_FLAG_PASS1 : AV_CODEC_FLAG_PASS2;
    if (Named(*enc.codec, "libx264"))
        av_opt_set(enc.priv_data, "stats", (pass.statsFolder + "/x264.log").c_str(), 0);
    else if (pass.pass == 2)
        enc.stats_in = pass.stats.data();  // the caller's: libavcodec never frees it
}

std::int64_t PictureBitRate(std::int64_t target, const SizeBudget& budget) {
    if (!(budget.seconds > 0)) return 0;
    const std::int64_t left = target - budget.soundBytes - ContainerBytes(budget);
    return left > 0 ? std::llround(static_cast<double>(left) * 8 / budget.seconds) : 0;
}

std::int64_t SmallestSize(const SizeBudget& budget) {
    const double picture = static_cast<double>(LeastPictureBitRate(budget)) * budget.seconds / 8;
    return budget.soundBytes + ContainerBytes(budget) + std::llround(picture);
}

StatsFolder::StatsFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp ? tmp : "/tmp";
    RemoveDeadFolders(base);
    std::string pattern = base + "/" + std::string(kFolderPrefix) + "XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    path_ = pattern;
    // Its lock is held until the folder is gone: a folder without one is never taken
    // for a dead run's.
    if (const int dir = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        std::string name;
        lock_ = CreateLocked(dir, kLockPrefix, name);
        ::close(dir);
    }
}

StatsFolder::~StatsFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    if (lock_ >= 0) ::close(lock_);
}

}  // namespace media::detail
