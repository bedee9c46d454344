#include "platform/wmf/WmTypes.h"

#include <cctype>
#include <cstdio>

namespace wmf {

std::string ToString(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool GuidFromString(const std::string& text, GUID& out) {
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

WM_MEDIA_TYPE WaveFormatMediaType(const WAVEFORMATEX& wave, const std::vector<BYTE>& codecData) {
    WAVEFORMATEX w = wave;
    w.cbSize = static_cast<WORD>(codecData.size());
    WM_MEDIA_TYPE t;
    t.majortype = WMMEDIATYPE_Audio;
    t.subtype = SubtypeOf(w.wFormatTag);
    t.bFixedSizeSamples = true;
    t.bTemporalCompression = false;
    t.lSampleSize = w.nBlockAlign;
    t.formattype = WMFORMAT_WaveFormatEx;
    WriteFormat(t, w);
    t.format.insert(t.format.end(), codecData.begin(), codecData.end());
    return t;
}

WM_MEDIA_TYPE VideoInfoMediaType(const VIDEOINFOHEADER& info) {
    WM_MEDIA_TYPE t;
    t.majortype = WMMEDIATYPE_Video;
    t.subtype = SubtypeOf(info.bmiHeader.biCompression);
    t.bFixedSizeSamples = false;
    t.bTemporalCompression = true;
    t.lSampleSize = 0;
    t.formattype = WMFORMAT_VideoInfo;
    WriteFormat(t, info);
    return t;
}

}  // namespace wmf
