#include "platform/profile/Folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace profile {
namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool FileExists(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool isFile =
        ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);  // folders do not open as files
    ::close(fd);
    return isFile;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = folder + "/" + name;
    if (::access(exact.c_str(), F_OK) == 0) return exact;
    for (const std::string& entry : ListFolder(folder)) {
        if (entry.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = FoldAscii(entry[i]) == FoldAscii(name[i]);
        if (same) return folder + "/" + entry;
    }
    return std::nullopt;
}

}  // namespace profile
