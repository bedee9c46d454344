#include "platform/profile/TextDecoding.h"

#include <errno.h>
#include <iconv.h>

#include <string>

#include "platform/profile/ProfileFile.h"

namespace profile {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at the start of `s`, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    char32_t min = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2, min = 0x80, c = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, min = 0x800, c = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, min = 0x10000, c = lead & 0x07;
    else
        return 0;
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

// What is valid UTF-8 is kept; every other byte becomes U+FFFD.
std::string KeepValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t n = Utf8SequenceLength(bytes);
        if (n == 0) {
            AppendUtf8(out, kReplacement);
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
        }
    }
    return out;
}

constexpr int kUtf8CodePage = 65001;

// Windows code page numbers to the converter's names.
std::string IconvName(int codePage) {
    switch (codePage) {
        case 20127:
            return "ASCII";
        case 28591:
            return "ISO-8859-1";
        default:
            return "CP" + std::to_string(codePage);
    }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = Utf8SequenceLength(bytes);
        if (n == 0) return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string Utf16ToUtf8(std::string_view bytes) {
    bool bigEndian = false;
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
        bigEndian = true;
        bytes.remove_prefix(2);
    } else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
        bytes.remove_prefix(2);
    }
    const auto unit = [&](std::size_t i) -> char16_t {
        const auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        return static_cast<char16_t>(lo | (hi << 8));
    };
    const std::size_t units = bytes.size() / 2;  // a trailing odd byte is dropped
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                    (static_cast<char32_t>(low) - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    return out;
}

std::string CodePageToUtf8(std::string_view bytes, int codePage) {
    // UTF-8 is checked here: the converter passes surrogates and overlong forms.
    if (codePage == kUtf8CodePage) return KeepValidUtf8(bytes);
    iconv_t cd = ::iconv_open("UTF-8", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return KeepValidUtf8(bytes);  // no such converter
    std::string out;
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = ::iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An undefined or cut-off byte: replace it and go on after it.
            AppendUtf8(out, kReplacement);
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace profile
