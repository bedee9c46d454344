#pragma once
// The per-user registry of this platform (HKEY_CURRENT_USER): keys holding named,
// typed values, kept in one REGEDIT5-syntax text file.
//
// File: $QUORVEL_REGISTRY if set, else $XDG_CONFIG_HOME/QuorvelStudio/user.reg
// (XDG_CONFIG_HOME defaults to ~/.config). Key paths are written without the
// hive, with backslashes: "Software\\QuorvelStudio\\quorvel-converter\\Settings".
// Key and value names compare case-insensitively (ASCII), as on Windows.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace registry {

// Other: a value of any other registry type (REG_EXPAND_SZ = 2, REG_MULTI_SZ = 7,
// REG_QWORD = 11, ...), read from a file as "hex(N):" and kept as its raw bytes so
// that it is written back unchanged.
enum class ValueType { Dword, String, Binary, Other };

// Registry type numbers, as Windows numbers them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct Value {
    ValueType type = ValueType::Dword;
    std::uint32_t dword = 0;          // ValueType::Dword
    std::string text;                 // ValueType::String, UTF-8
    std::vector<std::uint8_t> bytes;  // ValueType::Binary and ValueType::Other
    std::uint32_t otherType = 0;      // ValueType::Other: its registry type number

    static Value Dword(std::uint32_t v);
    static Value String(std::string v);
    static Value Binary(std::vector<std::uint8_t> v);
    static Value Other(std::uint32_t registryType, std::vector<std::uint8_t> data);
    bool operator==(const Value&) const = default;

    // The value as the narrow-character registry API reports it (for code that
    // handles values of any type, such as other makers' settings): the registry type number (1, 3, 4 or
    // otherType) and the data bytes (a DWORD as 4 little-endian bytes, a string as
    // its UTF-8 bytes with a terminating zero, binary and other data as stored).
    std::uint32_t RegistryType() const;
    std::vector<std::uint8_t> Data() const;
    // The inverse: type 4 with 4 bytes gives a Dword, type 1 a String (the bytes up
    // to the first zero), type 3 a Binary, anything else an Other holding the bytes.
    static Value FromData(std::uint32_t registryType, std::vector<std::uint8_t> data);
};

// One key with its values, its path written without the hive; what a key's
// subtree is read as, written as, and exported in.
struct KeyContent {
    std::string path;
    std::vector<std::pair<std::string, Value>> values;  // in the order written
    bool operator==(const KeyContent&) const = default;
};

namespace detail {
class Document;
enum class Change { Write, Unchanged };
}  // namespace detail

// One registry file. Reads parse the file once and keep it until it changes on
// disk, so two processes sharing it still see each other's writes; every write
// is a locked read-modify-write of the file as it is on disk that replaces it
// atomically. A file that cannot be parsed, or is larger than a settings file
// can be (4 MB), is moved aside to "<file>.damaged-<time>" and reading starts
// empty. A FIFO, socket or device in its place reads as empty and is never written.
class Store {
public:
    explicit Store(std::filesystem::path file);
    ~Store();
    Store(Store&&) noexcept;
    Store& operator=(Store&&) noexcept;

    // The user's store: QUORVEL_REGISTRY or the XDG location.
    static Store& User();
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& Path() const { return file_; }

    std::optional<Value> Get(std::string_view key, std::string_view name) const;
    bool KeyExists(std::string_view key) const;

    // Creates the key (and its parents) when missing. False when the file
    // cannot be written, or when the file's text form could not give the key
    // and value back exactly as given; what was on disk stays as it was.
    bool Set(std::string_view key, std::string_view name, const Value& value);
    // Writes only if the key already exists; never creates it. False when the key
    // is missing (nothing is written) or the file cannot be written.
    bool SetIfKeyExists(std::string_view key, std::string_view name, const Value& value);
    // True when the value (the key) existed and is now deleted; false when it was
    // absent or the file cannot be written.
    bool DeleteValue(std::string_view key, std::string_view name);
    bool DeleteKey(std::string_view key);  // with its subkeys

    // The key and every key under it, the key first, in tree order; empty when
    // the key is missing.
    std::vector<KeyContent> Tree(std::string_view key) const;
    // The names of the key's direct subkeys, in tree order.
    std::vector<std::string> SubKeys(std::string_view key) const;
    // In one write: the subtrees of `key` and of `alsoRemove` (when given) are
    // deleted and `content` (keys at or under `key`) written. False, with nothing
    // changed, when a key is not under `key` or the file cannot take it all.
    bool ReplaceTree(std::string_view key, const std::vector<KeyContent>& content,
                     std::string_view alsoRemove = {});

    // The files set aside as damaged ("<file>.damaged-<time>") since the last
    // call, so that the program can say where the user's file went. A file that
    // does not parse is read again after a pause first, as long as it changes: an
    // editor saving it in place is not damage.
    std::vector<std::filesystem::path> TakeSetAside();

private:
    struct Cache;
    std::shared_ptr<const detail::Document> Snapshot() const;
    bool Update(const std::function<detail::Change(detail::Document&)>& apply);
    void Remember(std::shared_ptr<const detail::Document> document, std::string bytes) const;

    std::filesystem::path file_;
    std::unique_ptr<Cache> cache_;
};

// A file of its own in the registry's text form (REGEDIT5), as the platform's
// export and import make: the keys are written atomically, in the order given.
bool ExportKeys(const std::filesystem::path& file, const std::vector<KeyContent>& keys);
// The user hive's keys of such a file, in tree order, as it stands: nothing is
// moved aside or written. None, with the reason in English, when the file cannot
// be read, is larger than a settings file can be, or is not in that form.
std::optional<std::vector<KeyContent>> ImportKeys(const std::filesystem::path& file,
                                                  std::string& reason);

// A small file of the program's own beside the settings file (the queue): read
// whole, and replaced atomically under its own lock as the settings file is, so
// that a crash mid-write leaves the last version whole. A FIFO or device in its
// place reads as nothing and is never written.
class SideFile {
public:
    explicit SideFile(std::filesystem::path file) : file_(std::move(file)) {}
    const std::filesystem::path& Path() const { return file_; }
    // The contents; none when the file is missing, unreadable or larger than 4 MB.
    std::optional<std::string> Read() const;
    // Creates the folder when missing; false when the file could not be replaced.
    bool Write(std::string_view contents) const;
    // Claims the file for this process until this SideFile and its copies are
    // gone (a lock on "<file>.keeper"); false when another process holds it, so
    // that a second copy of the program neither runs nor overwrites what the
    // first one keeps there.
    bool Claim();

private:
    std::filesystem::path file_;
    std::shared_ptr<const int> claim_;  // the keeper's descriptor, closed with the last copy
};

// The application profile: (section, key) values under
// Software\<company>\<application>\<section>. Integers are 32-bit values read
// and written as signed numbers; a value of another type reads as the default.
class AppProfile {
public:
    AppProfile(Store& store, std::string company, std::string application);

    std::string SectionKey(std::string_view section) const;

    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view section,
                                                       std::string_view key) const;
    bool WriteBinary(std::string_view section, std::string_view key,
                     const std::vector<std::uint8_t>& value);

    Store& store() const { return *store_; }

private:
    Store* store_;
    std::string company_;
    std::string application_;
};

}  // namespace registry
