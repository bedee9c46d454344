#pragma once
// Helpers shared by the registry tests.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"

namespace registry {
// Readable values in test failures.
inline void PrintTo(const Value& v, std::ostream* os) {
    switch (v.type) {
        case ValueType::Dword:
            *os << "Dword(" << v.dword << ")";
            return;
        case ValueType::String:
            *os << "String(\"" << (v.text.size() > 200 ? v.text.substr(0, 200) + "..." : v.text)
                << "\")";
            return;
        case ValueType::Binary:
        case ValueType::Other:
            *os << (v.type == ValueType::Binary ? "Binary(" : "Other(") << v.otherType << "; "
                << v.bytes.size() << " bytes:";
            for (std::size_t i = 0; i < v.bytes.size() && i < 32; ++i)
                *os << ' ' << static_cast<int>(v.bytes[i]);
            *os << ")";
            return;
    }
}
}  // namespace registry

namespace regtest {

// Files in `folder` whose name starts with `prefix`.
inline std::vector<std::filesystem::path> FilesStartingWith(const std::filesystem::path& folder,
                                                            const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
    return found;
}

// UTF-8 text to UTF-16LE bytes with a byte-order mark (what regedit on Windows writes).
inline std::string Utf16LeWithBom(const std::string& utf8) {
    std::string out("\xFF\xFE", 2);
    auto unit = [&](unsigned u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if (c < 0xE0) {
            cp = c & 0x1F;
            extra = 1;
        } else if (c < 0xF0) {
            cp = c & 0x0F;
            extra = 2;
        } else {
            cp = c & 0x07;
            extra = 3;
        }
        for (int k = 1; k <= extra; ++k)
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

}  // namespace regtest
