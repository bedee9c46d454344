#pragma once
// Internal to the registry layer: the registry file on disk. Reads never block (a
// FIFO, socket or device is unreadable), files over kMaxFileBytes count as damaged,
// writes replace the file atomically under an advisory lock.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace registry::detail {

// A settings file is a few kilobytes; anything this large is not one of ours.
inline constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

// Closes a POSIX descriptor on scope exit.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1);

private:
    int fd_;
};

// One version of the file, told apart cheaply: a replaced file has another inode,
// an edited one another size or time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `file` (links followed); none when it is
// missing or not a regular file.
std::optional<FileStamp> StampOf(const std::filesystem::path& file);

// True while the file's modification time is too recent to tell two versions of
// equal size apart by their stamps (file times advance in coarse ticks).
bool RecentlyModified(const FileStamp& stamp);

enum class ReadOutcome { Missing, Read, Unreadable, TooLarge };

// The whole file; `stamp` (when given) is the stamp of the version read.
ReadOutcome ReadAll(const std::filesystem::path& file, std::string& out,
                    FileStamp* stamp = nullptr);

// The file that is really replaced (a symbolic link is followed, not replaced).
std::filesystem::path Target(const std::filesystem::path& file);

// Exclusive advisory lock on "<file>.lock", held for the lifetime of the object.
// flock locks belong to the open file description, so two threads of one process
// exclude each other as two processes do.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file);
    bool ok() const { return fd_.ok(); }  // closing the descriptor releases the lock

private:
    Fd fd_;
};

// Renames a damaged file to "<file>.damaged-YYYYMMDD-HHMMSS[-N]" and returns that
// name; none when it could not be moved. Call with the lock held.
std::optional<std::filesystem::path> MoveAside(const std::filesystem::path& file);

// Temporary file in the same folder, fsync, rename over the file, fsync the folder.
// Call with the lock held.
bool ReplaceAtomically(const std::filesystem::path& file, std::string_view contents);

// Removes the "<file>.tmp-XXXXXX" files that writers killed mid-write left behind.
// Every writer creates its temporary file while holding the lock, so with the
// lock held none of them belongs to a live writer. Call with the lock held.
void RemoveLeftoverTemporaries(const std::filesystem::path& file);

}  // namespace registry::detail
