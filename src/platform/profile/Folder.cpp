#include "platform/profile/Folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace profile {
namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

namespace {

// A descriptor for reading a regular file, or -1. O_NONBLOCK: opening a FIFO
// for reading would otherwise wait for a writer.
int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
    ::close(fd);
    return -1;
}

}  // namespace

bool FileExists(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::optional<std::string> ReadRegularFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
        if (n <= 0 || bytes.size() > kMaxFileBytes) {
            ::close(fd);
            if (n != 0) return std::nullopt;  // unreadable, or too large
            return bytes;
        }
    }
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
