#pragma once
// Test isolation: every test process runs on its own temporary registry file,
// HOME and XDG folders, so nothing touches the real user's files.
#include <filesystem>
#include <functional>
#include <string>

namespace testenv {

// A fresh, empty folder under the build tree's temporary area; removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The per-process root created by the test main (HOME, XDG_* and QUORVEL_REGISTRY live in it).
const std::filesystem::path& ProcessRoot();

// Points QUORVEL_REGISTRY at a new empty file for the lifetime of the object.
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    const std::filesystem::path& file() const { return file_; }

private:
    TempDir dir_;
    std::filesystem::path file_;
    std::string previous_;
};

void WriteFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);

}  // namespace testenv

namespace testenv {

// Processes the event loop until `done` holds or `milliseconds` pass; true when it held.
bool WaitUntil(const std::function<bool()>& done, int milliseconds);

}  // namespace testenv
