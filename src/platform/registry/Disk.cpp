// The registry file on disk: non-blocking, bounded reads; locked, atomic writes.
#include "platform/registry/Disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace registry::detail {
namespace fs = std::filesystem;

namespace {

// Longer than a file-time tick on any file system we run on.
constexpr std::int64_t kTickMarginNs = 2'000'000'000;

// The six characters mkostemp puts in place of "XXXXXX".
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempRandomChars = 6;

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp StampFrom(const struct stat& st) {
    return FileStamp{st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim),
                     Nanoseconds(st.st_ctim)};
}

fs::path Sibling(const fs::path& file, std::string_view suffix) {
    fs::path p = file;
    p += std::string(suffix);
    return p;
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

void Fd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

std::optional<FileStamp> StampOf(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return StampFrom(st);
}

bool RecentlyModified(const FileStamp& stamp) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now) - stamp.modifiedNs < kTickMarginNs;
}

ReadOutcome ReadAll(const fs::path& file, std::string& out, FileStamp* stamp) {
    out.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadOutcome::Unreadable;
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileBytes) return ReadOutcome::TooLarge;
    if (stamp) *stamp = StampFrom(st);
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadOutcome::Unreadable;
        if (n == 0) return ReadOutcome::Read;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > kMaxFileBytes) return ReadOutcome::TooLarge;  // grew while read
    }
}

fs::path Target(const fs::path& file) {
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        auto resolved = fs::weakly_canonical(file, ec);
        if (!ec) return resolved;
    }
    return file;
}

FileLock::FileLock(const fs::path& file) {
    const fs::path lockFile = Sibling(file, ".lock");
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    Fd fd(::open(lockFile.c_str(), O_RDWR | O_CREAT | kFlags, 0600));
    if (!fd.ok()) fd.Reset(::open(lockFile.c_str(), O_RDONLY | kFlags));
    if (!fd.ok()) return;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    int rc;
    do rc = ::flock(fd.get(), LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) fd_.Reset(fd.Release());
}

std::optional<fs::path> MoveAside(const fs::path& file) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const fs::path base = Sibling(file, std::string(".damaged-") + stamp);
    for (int n = 1; n < 10000; ++n) {
        const fs::path candidate = n == 1 ? base : Sibling(base, "-" + std::to_string(n));
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) == 0 || errno != ENOENT) continue;
        if (::rename(file.c_str(), candidate.c_str()) != 0) break;
        return candidate;
    }
    return std::nullopt;
}

bool ReplaceAtomically(const fs::path& file, std::string_view contents) {
    std::string pattern = Sibling(file, std::string(kTempInfix) + "XXXXXX").string();
    Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.ok()) return false;
    const fs::path temp = pattern;
    struct stat st {};
    const mode_t mode = ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0600;
    bool ok =
        ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), contents) && ::fsync(fd.get()) == 0;
    ok = (::close(fd.Release()) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    Fd dir(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok()) ::fsync(dir.get());  // the rename is done; a failure here is not one of the write
    return true;
}

void RemoveLeftoverTemporaries(const fs::path& file) {
    const fs::path folder = FolderOf(file);
    const std::string prefix = file.filename().string() + std::string(kTempInfix);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kTempRandomChars || !name.starts_with(prefix)) continue;
        const fs::path leftover = folder / std::string(name);
        struct stat st {};
        if (::lstat(leftover.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

}  // namespace registry::detail
