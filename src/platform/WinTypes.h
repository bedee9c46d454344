#pragma once
// Plain records of the platform's media interfaces, shared by the layers that
// stand in for them (media, Windows Media profiles, video compressors).
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    std::array<BYTE, 8> Data4{};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    bool IsNull() const { return *this == GUID{}; }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
inline std::string GuidToString(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

// Parses the form above (braces optional, any case); false when malformed.
inline bool GuidFromString(const std::string& text, GUID& out) {
    std::string s = text;
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36) return false;
    std::string hex;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (s[i] == '-')) return false;
        if (dash) continue;
        if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
        hex += s[i];
    }
    auto field = [&](std::size_t at, std::size_t digits) {
        return static_cast<DWORD>(std::stoul(hex.substr(at, digits), nullptr, 16));
    };
    GUID g;
    g.Data1 = field(0, 8);
    g.Data2 = static_cast<WORD>(field(8, 4));
    g.Data3 = static_cast<WORD>(field(12, 4));
    for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(field(16 + 2 * i, 2));
    out = g;
    return true;
}

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
