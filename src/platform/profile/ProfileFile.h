#pragma once
// Profile (INI) files read as the Windows profile reader reads them: section
// and key names ignore letter case, the first match wins, blanks around names
// and values are trimmed, one pair of surrounding quotes is removed, lines
// starting with ';' are comments, and a value is at most 2047 bytes. Texts
// come back as UTF-8 whatever the file's encoding.
#include <string>
#include <string_view>
#include <vector>

namespace profile {

// The reader fills a 2048-byte buffer, terminator included.
inline constexpr std::size_t kMaxValueBytes = 2047;

struct ReadOptions {
    // The file is UTF-16 even without a byte-order mark (then little-endian).
    bool utf16 = false;
    // A file that is not valid UTF-8 is decoded from this Windows code page
    // (1252, 1251, 936...); 0 keeps its bytes.
    int ansiCodePage = 0;
};

class ProfileFile {
public:
    // A missing or unreadable file reads as an empty one.
    static ProfileFile Load(const std::string& path, const ReadOptions& options = {});
    static ProfileFile FromBytes(std::string_view bytes, const ReadOptions& options = {});

    // The value of `key` in `section`, or `defaultValue` when the section or key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> sections_;
};

// One value read straight from a file, as GetPrivateProfileString does.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    const ReadOptions& options = {});

// Text decoding used by the reader, for callers with bytes of their own.
bool IsValidUtf8(std::string_view bytes);
// UTF-16 (BOM decides the byte order; none: little-endian) to UTF-8.
std::string Utf16ToUtf8(std::string_view bytes);
// Bytes in a Windows code page to UTF-8; invalid input becomes U+FFFD.
std::string CodePageToUtf8(std::string_view bytes, int codePage);

}  // namespace profile
