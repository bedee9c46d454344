#include "platform/media/Guid.h"

#include <cctype>
#include <cstdio>

namespace media {

std::string ToString(const Guid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1,
                  g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                  g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

bool GuidFromString(const std::string& text, Guid& out) {
    std::string hex;
    std::string s = text;
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (s[i] == '-')) return false;
        if (!dash) {
            if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
            hex += s[i];
        }
    }
    auto field = [&](std::size_t at, std::size_t digits) {
        return static_cast<std::uint32_t>(std::stoul(hex.substr(at, digits), nullptr, 16));
    };
    Guid g;
    g.data1 = field(0, 8);
    g.data2 = static_cast<std::uint16_t>(field(8, 4));
    g.data3 = static_cast<std::uint16_t>(field(12, 4));
    for (std::size_t i = 0; i < 8; ++i)
        g.data4[i] = static_cast<std::uint8_t>(field(16 + 2 * i, 2));
    out = g;
    return true;
}

}  // namespace media
