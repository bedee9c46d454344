#pragma once
// Files that say whether their run is alive: made locked before they have a
// name, held locked while the run lasts, so that one nobody holds was left by a
// run that was killed and can be removed. The hidden part files and the size
// target's pass folders are marked so.
#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace media::detail {

// The hex digits after a locked file's prefix.
inline constexpr std::size_t kLockedDigits = 8;

inline bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A new file in the folder `dir` named `prefix` + 8 hex digits, locked; -1 and
// errno on failure. Closing it lets go of the lock.
int CreateLocked(int dir, const std::string& prefix, std::string& name);

// Removes the files named `prefix` + 8 characters in `dir` that are the user's own
// and that no run holds locked; how many.
int RemoveUnheld(int dir, const std::string& prefix);

}  // namespace media::detail
