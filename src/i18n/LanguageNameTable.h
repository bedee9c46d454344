#pragma once
// The built-in table of Windows language names, identifiers and three-letter
// abbreviations through which a language file's name tells its language.
#include <array>
#include <cstdint>
#include <string>

namespace i18n {

struct LanguageName {
    std::uint16_t id;          // primary language in the low 10 bits, sublanguage above
    const char* name;          // matched ignoring letter case
    const char* abbreviation;  // Windows three-letter abbreviated language name
    const char* posixLocale;   // the matching locale of this platform, without encoding
};

inline constexpr std::size_t kLanguageNameCount = 273;
extern const std::array<LanguageName, kLanguageNameCount> kLanguageNameTable;

enum class TextEncoding { Ansi = 0, Unicode = 1, Utf8 = 2 };

// From the markers "_utf-8" and "_unicode" anywhere in a catalogue name.
TextEncoding DetectEncoding(const std::string& name);

// Identifies the language of a catalogue name. On success writes the lower-case
// abbreviation, primary language and sublanguage; on failure shows the warning
// and leaves them as they were.
bool IdentifyLanguage(const std::string& name, std::string& abbreviation, int& primary, int& sub);

// Lower-cases ASCII letters; other bytes are kept.
std::string LowerCase(std::string text);

// The locale of this platform for a Windows language identifier ("" if unknown).
std::string PosixLocaleOf(int primary, int sub);

// The Windows ANSI code page of a language (0 for languages that have none).
int AnsiCodePageOf(int primary, int sub);

}  // namespace i18n
