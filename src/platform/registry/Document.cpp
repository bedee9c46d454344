// The in-memory content of a registry file: keys in tree order, named values.
#include <vector>

#include "platform/registry/RegFile.h"

namespace registry::detail {
namespace {

constexpr std::string_view kUserHive = "HKEY_CURRENT_USER";

// Key order: case-insensitive, with the separator below every other character,
// which is the same as comparing component by component.
int Rank(char c) { return c == '\\' ? -1 : static_cast<unsigned char>(text::Lowered(c)); }

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool IsUnder(std::string_view path, std::string_view ancestor) {
    return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
           EqualNoCase(path.substr(0, ancestor.size()), ancestor);
}

}  // namespace

bool KeyPathLess::operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ra = Rank(a[i]);
        const int rb = Rank(b[i]);
        if (ra != rb) return ra < rb;
    }
    return a.size() < b.size();
}

const Value* KeyData::Find(std::string_view name) const {
    for (const auto& v : values)
        if (EqualNoCase(v.name, name)) return &v.value;
    return nullptr;
}

void KeyData::Set(std::string_view name, const Value& value) {
    for (auto& v : values) {
        if (EqualNoCase(v.name, name)) {
            v.value = value;
            return;
        }
    }
    values.push_back(NamedValue{std::string(name), value});
}

bool KeyData::Erase(std::string_view name) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (EqualNoCase(it->name, name)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

std::string Document::Normalize(std::string_view path) {
    std::string out;
    for (auto part : Components(path)) {
        if (!out.empty()) out += '\\';
        out += part;
    }
    return out;
}

std::string Document::UserPath(std::string_view key) {
    std::string out(kUserHive);
    const std::string rest = Normalize(key);
    if (!rest.empty()) out += '\\' + rest;
    return out;
}

const KeyData* Document::Find(std::string_view fullPath) const {
    const auto it = keys_.find(Normalize(fullPath));
    return it == keys_.end() ? nullptr : &it->second;
}

KeyData* Document::Find(std::string_view fullPath) {
    const auto it = keys_.find(Normalize(fullPath));
    return it == keys_.end() ? nullptr : &it->second;
}

KeyData& Document::Create(std::string_view fullPath) {
    const auto parts = Components(fullPath);
    std::string built;
    KeyData* last = nullptr;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string candidate =
            built.empty() ? std::string(parts[i]) : built + '\\' + std::string(parts[i]);
        auto it = keys_.find(candidate);
        // The bare hive gets an entry only when it is the key asked for.
        if (it == keys_.end() && (i > 0 || parts.size() == 1))
            it = keys_.emplace(std::move(candidate), KeyData{}).first;
        if (it != keys_.end()) {
            built = it->first;
            last = &it->second;
        } else {
            built = std::move(candidate);
        }
    }
    if (last == nullptr)  // empty path: a key without a name
        last = &keys_.emplace(std::string(), KeyData{}).first->second;
    return *last;
}

KeyData& Document::Insert(std::string_view fullPath) {
    return keys_.try_emplace(Normalize(fullPath)).first->second;
}

bool Document::Erase(std::string_view fullPath) {
    const std::string path = Normalize(fullPath);
    auto it = keys_.lower_bound(path);
    bool erased = false;
    while (it != keys_.end() && (EqualNoCase(it->first, path) || IsUnder(it->first, path))) {
        it = keys_.erase(it);
        erased = true;
    }
    return erased;
}

}  // namespace registry::detail
