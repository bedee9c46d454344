// The user's registry file: parsed once and kept until it changes on disk;
// locked read-modify-write updates of the file as it is on disk.
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/registry/Disk.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace registry {
namespace fs = std::filesystem;
using detail::Change;
using detail::Document;
using detail::FileLock;
using detail::FileStamp;
using detail::ReadOutcome;

namespace {

// A file that does not parse, changed a moment ago, may be one an editor is saving
// in place (emptied, half written, then the rest): it is read again after a pause,
// for as long as it keeps changing. A damaged file stays as it is and is returned
// damaged.
ReadOutcome ReadSettled(const fs::path& file, std::string& bytes, detail::ParseResult& parsed,
                        FileStamp* stamp = nullptr) {
    constexpr auto kPause = std::chrono::milliseconds(300);
    FileStamp read;
    ReadOutcome outcome = detail::ReadAll(file, bytes, &read);
    for (int round = 0; outcome == ReadOutcome::Read; ++round) {
        parsed = detail::Parse(bytes);
        if (!parsed.damaged || round == 10 || !detail::RecentlyModified(read)) break;
        std::this_thread::sleep_for(kPause);
        std::string again;
        outcome = detail::ReadAll(file, again, &read);
        if (again == bytes) break;
        bytes = std::move(again);
    }
    if (stamp) *stamp = read;
    return outcome;
}

// A file found damaged (or too large) by a lock-free read, settled, is looked at
// again under the lock, since a writer may have just replaced it, and moved aside
// only if it still is; where it went, if it was. Without the lock (read-only folder) the
// file stays where it is.
std::optional<fs::path> SetAsideIfStillDamaged(const fs::path& file) {
    const fs::path target = detail::Target(file);
    FileLock lock(target);
    if (!lock.ok()) return std::nullopt;
    std::string bytes;
    switch (detail::ReadAll(target, bytes)) {
        case ReadOutcome::TooLarge:
            break;
        case ReadOutcome::Read:
            if (!detail::Parse(bytes).damaged) return std::nullopt;
            break;
        case ReadOutcome::Missing:
        case ReadOutcome::Unreadable:
            return std::nullopt;
    }
    return detail::MoveAside(target);
}

// What a write left on disk, for the reading cache.
struct Written {
    std::shared_ptr<const Document> document;
    std::string bytes;
};

// Locked read-modify-write of the file as it is on disk (never of a cached copy,
// so writers in other processes lose nothing). `apply` edits the document and says
// whether anything is to be written; when nothing is, the call reports false.
bool Modify(const fs::path& file, const std::function<Change(Document&)>& apply, Written& written,
            std::optional<fs::path>& setAside) {
    const fs::path target = detail::Target(file);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) return false;
    }
    FileLock lock(target);
    if (!lock.ok()) return false;
    detail::RemoveLeftoverTemporaries(target);

    Document document;
    std::string bytes;
    detail::ParseResult parsed;
    switch (ReadSettled(target, bytes, parsed)) {
        case ReadOutcome::Missing:
            break;
        case ReadOutcome::Unreadable:
            return false;  // never overwrite what we could not read
        case ReadOutcome::TooLarge:
            if (!(setAside = detail::MoveAside(target))) return false;
            break;
        case ReadOutcome::Read:
            if (!parsed.damaged)
                document = std::move(parsed.document);
            else if (!(setAside = detail::MoveAside(target)))
                return false;
            break;
    }
    if (apply(document) == Change::Unchanged) return false;
    std::string text = detail::Serialize(document);
    // A file this large would be set aside at the next read.
    if (text.size() > detail::kMaxFileBytes) return false;
    if (!detail::ReplaceAtomically(target, text)) return false;
    written.document = std::make_shared<const Document>(std::move(document));
    written.bytes = std::move(text);
    return true;
}

// Key names that the text form can hold (value names and data are escaped).
bool Writable(std::string_view key) {
    return key.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// Whether the file's text form gives this key and value back exactly as given.
bool Storable(std::string_view key, std::string_view name, const Value& value) {
    if (!Writable(key)) return false;
    Document probe;
    const std::string path = Document::UserPath(key);
    probe.Create(path).Set(name, value);
    const auto parsed = detail::Parse(detail::Serialize(probe));
    const auto* data = parsed.damaged ? nullptr : parsed.document.Find(path);
    return data && data->values.size() == 1 && data->values[0].name == name &&
           data->values[0].value == value;
}

bool IsHive(std::string_view key) { return Document::Normalize(key).empty(); }

}  // namespace

// The last version read or written, and the bytes it was parsed from.
struct Store::Cache {
    std::mutex mutex;
    std::optional<FileStamp> stamp;
    std::string bytes;
    std::shared_ptr<const Document> document;
    std::vector<fs::path> setAside;  // not yet taken

    void Forget() {
        stamp.reset();
        bytes.clear();
        document.reset();
    }
};

Store::Store(std::filesystem::path file)
    : file_(std::move(file)), cache_(std::make_unique<Cache>()) {}
Store::~Store() = default;
Store::Store(Store&&) noexcept = default;
Store& Store::operator=(Store&&) noexcept = default;

bool Store::Update(const std::function<Change(Document&)>& apply) {
    Written written;
    std::optional<fs::path> setAside;
    const bool done = Modify(file_, apply, written, setAside);
    if (setAside) {
        std::lock_guard<std::mutex> guard(cache_->mutex);
        cache_->setAside.push_back(*setAside);
    }
    if (!done) return false;
    Remember(std::move(written.document), std::move(written.bytes));
    return true;
}

std::shared_ptr<const Document> Store::Snapshot() const {
    static const auto empty = std::make_shared<const Document>();
    std::lock_guard<std::mutex> guard(cache_->mutex);
    Cache& cache = *cache_;
    const auto current = detail::StampOf(file_);
    if (!current) {  // missing, or not a regular file: nothing to read
        cache.Forget();
        return empty;
    }
    if (cache.document && cache.stamp == current && !detail::RecentlyModified(*current))
        return cache.document;

    std::string bytes;
    FileStamp stamp;
    detail::ParseResult parsed;
    const ReadOutcome outcome = ReadSettled(file_, bytes, parsed, &stamp);
    if (outcome == ReadOutcome::Read) {
        if (cache.document && cache.bytes == bytes) {
            cache.stamp = stamp;  // the same text (touched, or rewritten unchanged)
            return cache.document;
        }
        if (!parsed.damaged) {
            cache.stamp = stamp;
            cache.bytes = std::move(bytes);
            cache.document = std::make_shared<const Document>(std::move(parsed.document));
            return cache.document;
        }
    }
    cache.Forget();
    if (outcome == ReadOutcome::Read || outcome == ReadOutcome::TooLarge)
        if (auto aside = SetAsideIfStillDamaged(file_)) cache.setAside.push_back(*aside);
    return empty;
}

std::vector<fs::path> Store::TakeSetAside() {
    std::lock_guard<std::mutex> guard(cache_->mutex);
    return std::exchange(cache_->setAside, {});
}

void Store::Remember(std::shared_ptr<const Document> document, std::string bytes) const {
    // Without a stamp: the write's lock is released by now, so the file may already
    // be a later writer's. The next read compares the bytes instead of parsing.
    std::lock_guard<std::mutex> guard(cache_->mutex);
    cache_->stamp.reset();
    cache_->bytes = std::move(bytes);
    cache_->document = std::move(document);
}

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
    const auto document = Snapshot();
    const auto* data = document->Find(Document::UserPath(key));
    if (!data) return std::nullopt;
    const Value* value = data->Find(name);
    return value ? std::optional<Value>(*value) : std::nullopt;
}

bool Store::KeyExists(std::string_view key) const {
    if (IsHive(key)) return true;  // the hive itself always exists
    return Snapshot()->Find(Document::UserPath(key)) != nullptr;
}

bool Store::Set(std::string_view key, std::string_view name, const Value& value) {
    if (!Storable(key, name, value)) return false;
    return Update([&](Document& document) {
        document.Create(Document::UserPath(key)).Set(name, value);
        return Change::Write;
    });
}

bool Store::SetIfKeyExists(std::string_view key, std::string_view name, const Value& value) {
    if (!Storable(key, name, value)) return false;
    return Update([&](Document& document) {
        const std::string path = Document::UserPath(key);
        auto* data = IsHive(key) ? &document.Create(path) : document.Find(path);
        if (!data) return Change::Unchanged;
        data->Set(name, value);
        return Change::Write;
    });
}

bool Store::DeleteValue(std::string_view key, std::string_view name) {
    return Update([&](Document& document) {
        auto* data = document.Find(Document::UserPath(key));
        return data && data->Erase(name) ? Change::Write : Change::Unchanged;
    });
}

bool Store::DeleteKey(std::string_view key) {
    if (IsHive(key)) return false;  // never the whole hive
    return Update([&](Document& document) {
        return document.Erase(Document::UserPath(key)) ? Change::Write : Change::Unchanged;
    });
}

}  // namespace registry
