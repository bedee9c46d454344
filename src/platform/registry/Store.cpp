// The registry file on disk: lock-free reads of the whole file, locked
// read-modify-write updates replacing it atomically, damaged files moved aside.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace registry {
namespace fs = std::filesystem;
using detail::Document;

namespace {

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
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

enum class ReadOutcome { Missing, Read, Unreadable };

ReadOutcome ReadAll(const fs::path& file, std::string& out) {
    out.clear();
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok()) return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadOutcome::Unreadable;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadOutcome::Unreadable;
        if (n == 0) return ReadOutcome::Read;
        out.append(buffer, static_cast<std::size_t>(n));
    }
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

// The file that is really replaced (a symbolic link is followed, not replaced).
fs::path Target(const fs::path& file) {
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        auto resolved = fs::weakly_canonical(file, ec);
        if (!ec) return resolved;
    }
    return file;
}

fs::path Sibling(const fs::path& file, std::string_view suffix) {
    fs::path p = file;
    p += std::string(suffix);
    return p;
}

// Exclusive advisory lock on "<file>.lock", held for the lifetime of the object.
// flock locks belong to the open file description, so two threads of one process
// exclude each other as two processes do.
class FileLock {
public:
    explicit FileLock(const fs::path& file) {
        const fs::path lockFile = Sibling(file, ".lock");
        Fd fd(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd.ok()) fd.Reset(::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!fd.ok()) return;
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
        int rc;
        do rc = ::flock(fd.get(), LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc == 0) fd_.Reset(fd.Release());
    }
    bool ok() const { return fd_.ok(); }  // closing the descriptor releases the lock

private:
    Fd fd_;
};

// Renames a damaged file to "<file>.damaged-YYYYMMDD-HHMMSS[-N]". Called with the
// lock held, so the name chosen cannot be taken meanwhile by another writer.
bool MoveAside(const fs::path& file) {
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
        return ::rename(file.c_str(), candidate.c_str()) == 0;
    }
    return false;
}

// temp file in the same folder, fsync, rename over the file, fsync the folder.
bool ReplaceAtomically(const fs::path& file, std::string_view contents) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::string pattern = Sibling(file, ".tmp-XXXXXX").string();
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
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok()) ::fsync(dir.get());  // the rename is done; a failure here is not one of the write
    return true;
}

Document LoadForRead(const fs::path& file) {
    std::string bytes;
    if (ReadAll(file, bytes) != ReadOutcome::Read) return {};
    auto parsed = detail::Parse(bytes);
    if (!parsed.damaged) return std::move(parsed.document);

    // Damaged: look again under the lock (a writer may have just replaced it), and
    // move it aside only if it is still damaged. Without the lock (read-only
    // folder) the file stays where it is and reading starts empty.
    const fs::path target = Target(file);
    FileLock lock(target);
    if (!lock.ok()) return {};
    if (ReadAll(target, bytes) != ReadOutcome::Read) return {};
    parsed = detail::Parse(bytes);
    if (!parsed.damaged) return std::move(parsed.document);
    MoveAside(target);
    return {};
}

enum class Change { Write, Unchanged };

// Locked read-modify-write. `apply` edits the document and says whether anything
// is to be written; when nothing is, the call reports false.
template <class Apply>
bool Modify(const fs::path& file, Apply apply) {
    const fs::path target = Target(file);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) return false;
    }
    FileLock lock(target);
    if (!lock.ok()) return false;

    Document document;
    std::string bytes;
    switch (ReadAll(target, bytes)) {
        case ReadOutcome::Missing:
            break;
        case ReadOutcome::Unreadable:
            return false;  // never overwrite what we could not read
        case ReadOutcome::Read: {
            auto parsed = detail::Parse(bytes);
            if (parsed.damaged) {
                if (!MoveAside(target)) return false;
            } else {
                document = std::move(parsed.document);
            }
            break;
        }
    }
    if (apply(document) == Change::Unchanged) return false;
    return ReplaceAtomically(target, detail::Serialize(document));
}

// Key names that the text form can hold (value names and data are escaped).
bool Writable(std::string_view key) {
    return key.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsHive(std::string_view key) { return Document::Normalize(key).empty(); }

}  // namespace

Store::Store(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path Store::DefaultPath() {
    if (const char* env = std::getenv("QUORVEL_REGISTRY"); env && *env) return env;
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/";
        }
        config = fs::path(home) / ".config";
    }
    return config / "QuorvelStudio" / "user.reg";
}

Store& Store::User() {
    // One store per path, kept for the life of the process, so that references
    // stay valid while QUORVEL_REGISTRY changes between tests.
    static std::mutex mutex;
    static std::map<fs::path, std::unique_ptr<Store>> stores;
    const fs::path path = DefaultPath();
    std::lock_guard<std::mutex> guard(mutex);
    auto& slot = stores[path];
    if (!slot) slot = std::make_unique<Store>(path);
    return *slot;
}

std::optional<Value> Store::Get(std::string_view key, std::string_view name) const {
    const Document document = LoadForRead(file_);
    const auto* data = document.Find(Document::UserPath(key));
    if (!data) return std::nullopt;
    const Value* value = data->Find(name);
    return value ? std::optional<Value>(*value) : std::nullopt;
}

bool Store::KeyExists(std::string_view key) const {
    if (IsHive(key)) return true;  // the hive itself always exists
    return LoadForRead(file_).Find(Document::UserPath(key)) != nullptr;
}

bool Store::Set(std::string_view key, std::string_view name, const Value& value) {
    if (!Writable(key)) return false;
    return Modify(file_, [&](Document& document) {
        document.Create(Document::UserPath(key)).Set(name, value);
        return Change::Write;
    });
}

bool Store::SetIfKeyExists(std::string_view key, std::string_view name, const Value& value) {
    if (!Writable(key)) return false;
    return Modify(file_, [&](Document& document) {
        const std::string path = Document::UserPath(key);
        auto* data = IsHive(key) ? &document.Create(path) : document.Find(path);
        if (!data) return Change::Unchanged;
        data->Set(name, value);
        return Change::Write;
    });
}

bool Store::DeleteValue(std::string_view key, std::string_view name) {
    return Modify(file_, [&](Document& document) {
        auto* data = document.Find(Document::UserPath(key));
        return data && data->Erase(name) ? Change::Write : Change::Unchanged;
    });
}

bool Store::DeleteKey(std::string_view key) {
    if (IsHive(key)) return false;  // never the whole hive
    return Modify(file_, [&](Document& document) {
        return document.Erase(Document::UserPath(key)) ? Change::Write : Change::Unchanged;
    });
}

}  // namespace registry
