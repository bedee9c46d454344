// Whole subtrees of the store, and files of their own in the registry's text form
// (the platform's export and import).
#include "platform/registry/Disk.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace registry {
namespace fs = std::filesystem;
using detail::Change;
using detail::Document;

namespace {

constexpr std::string_view kUserHivePrefix = "HKEY_CURRENT_USER\\";

// "HKEY_CURRENT_USER\A\B" -> "A\B"; empty for a key of another hive.
std::string WithoutHive(std::string_view full) {
    if (full.size() <= kUserHivePrefix.size() ||
        !text::EqualNoCase(full.substr(0, kUserHivePrefix.size()), kUserHivePrefix))
        return {};
    return std::string(full.substr(kUserHivePrefix.size()));
}

bool AtOrUnder(std::string_view path, std::string_view key) {
    const std::string p = Document::Normalize(path), k = Document::Normalize(key);
    return text::EqualNoCase(p, k) ||
           (p.size() > k.size() && p[k.size()] == '\\' &&
            text::EqualNoCase(std::string_view(p).substr(0, k.size()), k));
}

KeyContent ContentOf(std::string path, const detail::KeyData& data) {
    KeyContent key{std::move(path), {}};
    for (const auto& v : data.values) key.values.emplace_back(v.name, v.value);
    return key;
}

// `alone`: without the keys' parents, as an export holds them.
void Add(Document& document, const std::vector<KeyContent>& keys, bool alone = false) {
    for (const KeyContent& key : keys) {
        const std::string path = Document::UserPath(key.path);
        detail::KeyData& data = alone ? document.Insert(path) : document.Create(path);
        for (const auto& [name, value] : key.values) data.Set(name, value);
    }
}

std::vector<KeyContent> UserKeys(const Document& document) {
    std::vector<KeyContent> keys;
    for (const auto& [full, data] : document.Keys())
        if (std::string path = WithoutHive(full); !path.empty())
            keys.push_back(ContentOf(std::move(path), data));
    return keys;
}

// Whether the text form gives these keys back exactly as they are given.
bool Storable(const std::vector<KeyContent>& keys) {
    Document probe;
    Add(probe, keys, true);
    const detail::ParseResult parsed = detail::Parse(detail::Serialize(probe));
    if (parsed.damaged) return false;
    for (const KeyContent& key : keys) {
        const std::string path = Document::UserPath(key.path);
        const detail::KeyData* back = parsed.document.Find(path);
        if (!back || ContentOf(key.path, *back) != ContentOf(key.path, *probe.Find(path)))
            return false;
    }
    return true;
}

}  // namespace

std::vector<KeyContent> Store::Tree(std::string_view key) const {
    std::vector<KeyContent> keys;
    for (KeyContent& content : UserKeys(*Snapshot()))
        if (AtOrUnder(content.path, key)) keys.push_back(std::move(content));
    return keys;
}

std::vector<std::string> Store::SubKeys(std::string_view key) const {
    const std::string parent = Document::Normalize(key);
    std::vector<std::string> names;
    for (const KeyContent& content : Tree(key)) {
        const std::string path = Document::Normalize(content.path);
        if (path.size() <= parent.size() + 1) continue;
        const std::string rest = path.substr(parent.size() + 1);
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return names;
}

bool Store::ReplaceTree(std::string_view key, const std::vector<KeyContent>& content,
                        std::string_view alsoRemove) {
    if (Document::Normalize(key).empty()) return false;  // never the whole hive
    for (const KeyContent& k : content)
        if (!AtOrUnder(k.path, key)) return false;
    if (!Storable(content)) return false;
    return Update([&](Document& document) {
        document.Erase(Document::UserPath(key));
        if (!Document::Normalize(alsoRemove).empty())
            document.Erase(Document::UserPath(alsoRemove));
        Add(document, content);
        return Change::Write;
    });
}

bool ExportKeys(const fs::path& file, const std::vector<KeyContent>& keys) {
    if (!Storable(keys)) return false;
    Document document;
    Add(document, keys, true);
    return detail::ReplaceAtomically(detail::Target(file), detail::Serialize(document));
}

std::optional<std::vector<KeyContent>> ImportKeys(const fs::path& file, std::string& reason) {
    std::string bytes;
    switch (detail::ReadAll(file, bytes)) {
        case detail::ReadOutcome::Missing:
            reason = "the file does not exist";
            return std::nullopt;
        case detail::ReadOutcome::Unreadable:
            reason = "the file cannot be read";
            return std::nullopt;
        case detail::ReadOutcome::TooLarge:
            reason = "the file is too large";
            return std::nullopt;
        case detail::ReadOutcome::Read:
            break;
    }
    detail::ParseResult parsed = detail::Parse(bytes);
    if (parsed.damaged) {
        reason = parsed.reason;
        return std::nullopt;
    }
    return UserKeys(parsed.document);
}

}  // namespace registry
