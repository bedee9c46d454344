#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/registry/Disk.h"
#include "platform/registry/Registry.h"

namespace registry {

std::optional<std::string> SideFile::Read() const {
    std::string contents;
    if (detail::ReadAll(file_, contents) != detail::ReadOutcome::Read) return std::nullopt;
    return contents;
}

bool SideFile::Write(std::string_view contents) const {
    const std::filesystem::path target = detail::Target(file_);
    std::error_code ec;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) return false;
    if (detail::StampOf(target) == std::nullopt && std::filesystem::exists(target, ec))
        return false;  // a FIFO, device or folder in its place
    detail::FileLock lock(target);
    if (!lock.ok()) return false;
    detail::RemoveLeftoverTemporaries(target);
    return detail::ReplaceAtomically(target, contents);
}

bool SideFile::Claim() {
    if (claim_) return true;
    const std::filesystem::path keeper = detail::Target(file_).string() + ".keeper";
    std::error_code ec;
    if (keeper.has_parent_path()) std::filesystem::create_directories(keeper.parent_path(), ec);
    const int fd = ::open(keeper.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0) return true;  // nowhere to keep a lock: nothing to share it with either
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    claim_ = std::shared_ptr<const int>(new int(fd), [](const int* held) {
        ::close(*held);
        delete held;
    });
    return true;
}

}  // namespace registry
