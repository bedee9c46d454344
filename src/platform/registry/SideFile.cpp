#include <system_error>

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

}  // namespace registry
