#include "platform/Path.h"

namespace paths {

std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string FolderOf(const std::string& path) { return path.substr(0, NameStart(path)); }

std::string FileNameOf(const std::string& path) { return path.substr(NameStart(path)); }

}  // namespace paths
