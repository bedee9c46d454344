#include "platform/profile/ProfileFile.h"

#include <sstream>

#include "platform/profile/Folder.h"
#include "platform/profile/TextDecoding.h"

namespace profile {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts to at most kMaxValueBytes without splitting a UTF-8 sequence.
std::string CutValue(std::string_view value) {
    if (value.size() <= kMaxValueBytes) return std::string(value);
    std::size_t end = kMaxValueBytes;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    return std::string(value.substr(0, end));
}

std::string DecodeFile(std::string_view bytes, const ReadOptions& options) {
    if (HasUtf16Bom(bytes) || (options.utf16 && !HasUtf8Bom(bytes))) return Utf16ToUtf8(bytes);
    if (HasUtf8Bom(bytes)) bytes.remove_prefix(3);
    if (options.ansiCodePage != 0 && !IsValidUtf8(bytes))
        return CodePageToUtf8(bytes, options.ansiCodePage);
    return std::string(bytes);
}

}  // namespace

ProfileFile ProfileFile::FromBytes(std::string_view bytes, const ReadOptions& options) {
    ProfileFile file;
    const std::string text = DecodeFile(bytes, options);
    std::istringstream lines(text);
    std::string line;
    Section* current = nullptr;
    while (std::getline(lines, line)) {
        std::string_view l = Trim(line);
        if (!l.empty() && l.back() == '\r') l = Trim(l.substr(0, l.size() - 1));
        if (l.empty() || l.front() == ';') continue;
        if (l.front() == '[') {
            const std::size_t close = l.find(']');
            const std::string_view name =
                Trim(l.substr(1, close == std::string_view::npos ? l.npos : close - 1));
            file.sections_.push_back(Section{std::string(name), {}});
            current = &file.sections_.back();
            continue;
        }
        const std::size_t eq = l.find('=');
        if (!current || eq == std::string_view::npos) continue;
        const std::string_view key = Trim(l.substr(0, eq));
        if (key.empty()) continue;
        current->entries.push_back(
            Entry{std::string(key), CutValue(Unquote(Trim(l.substr(eq + 1))))});
    }
    return file;
}

ProfileFile ProfileFile::Load(const std::string& path, const ReadOptions& options) {
    // A folder, FIFO or device named like the file reads as a missing file.
    const auto bytes = ReadRegularFile(path);
    return bytes ? FromBytes(*bytes, options) : ProfileFile{};
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    for (const Section& s : sections_) {
        if (!EqualIgnoringCase(s.name, wantedSection)) continue;
        // Only the first section of a name is searched, as the Windows reader does.
        for (const Entry& e : s.entries)
            if (EqualIgnoringCase(e.key, wantedKey)) return e.value;
        break;
    }
    return CutValue(defaultValue);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    const ReadOptions& options) {
    return ProfileFile::Load(path, options).GetString(section, key, defaultValue);
}

}  // namespace profile
