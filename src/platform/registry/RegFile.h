#pragma once
// Internal to the registry layer: the in-memory content of one registry file and
// its REGEDIT5 text form (parse and serialise). No file system access here.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "platform/registry/Registry.h"

namespace registry::detail {

// Names compare as on Windows: ASCII case-insensitively.
using text::EqualNoCase;

// Orders full key paths as a tree: component by component, case-insensitively,
// so a key comes right before its subkeys ("A", "A\B", "A\B\C", "AB").
struct KeyPathLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

struct NamedValue {
    std::string name;  // spelling as first written; "" is the default value ("@")
    Value value;
};

struct KeyData {
    std::vector<NamedValue> values;  // in insertion order

    const Value* Find(std::string_view name) const;
    void Set(std::string_view name, const Value& value);  // keeps position and spelling
    bool Erase(std::string_view name);
};

// The whole file: keys by full path including the hive ("HKEY_CURRENT_USER\Software\...").
// Keys of other hives read from a file are kept and written back unchanged.
class Document {
public:
    // "Software\X\" -> "HKEY_CURRENT_USER\Software\X"; empty components are dropped.
    static std::string UserPath(std::string_view key);
    // Drops empty components of a full path ("A\\B\" -> "A\B").
    static std::string Normalize(std::string_view path);

    const KeyData* Find(std::string_view fullPath) const;
    KeyData* Find(std::string_view fullPath);
    // Creates the key and its missing parents (not the bare hive), reusing the
    // spelling of parents that exist.
    KeyData& Create(std::string_view fullPath);
    bool Erase(std::string_view fullPath);  // with its subkeys
    // Just this key, without its parents: an export holds only the keys it is given.
    KeyData& Insert(std::string_view fullPath);

    const std::map<std::string, KeyData, KeyPathLess>& Keys() const { return keys_; }

private:
    std::map<std::string, KeyData, KeyPathLess> keys_;
};

struct ParseResult {
    bool damaged = false;
    std::string reason;  // why, when damaged
    Document document;
};

// Accepts UTF-8 (with or without BOM) and UTF-16 with BOM, LF or CRLF. An empty
// (or blank) file is an empty document, not a damaged one.
ParseResult Parse(std::string_view bytes);

// UTF-8, LF, header line, keys in tree order, values in insertion order.
std::string Serialize(const Document& document);

}  // namespace registry::detail
