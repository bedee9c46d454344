#include "platform/media/LockedFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace media::detail {

int RemoveUnheld(int dir, const std::string& prefix) {
    const int listingFd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = listingFd >= 0 ? ::fdopendir(listingFd) : nullptr;
    if (!listing) {
        if (listingFd >= 0) ::close(listingFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + kLockedDigits || !name.starts_with(prefix)) continue;
        const int fd =
            ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {};
        struct stat named {};
        // Removed only while its name still is the file found unheld.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(held, named) && ::unlinkat(dir, name.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(listing);
    return removed;
}

int CreateLocked(int dir, const std::string& prefix, std::string& name) {
    std::random_device random;
    auto next = [&] {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(random()));
        return prefix + digits;
    };
    // Made without a name and locked before it gets one, so no one sees it unheld.
    if (const int fd = ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666); fd >= 0) {
        ::flock(fd, LOCK_EX);
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 16; ++attempt) {
            name = next();
            if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return fd;
            if (errno != EEXIST) break;
        }
        ::close(fd);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return -1;
    }
    // A file system without nameless files: made by name and locked at once (and
    // made anew in the rare case that another run took it for a killed one's).
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = next();
        const int fd =
            ::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return -1;
        if (fd < 0) continue;
        struct stat mine {};
        struct stat named {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &mine) == 0 &&
            ::fstatat(dir, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(mine, named))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

}  // namespace media::detail
