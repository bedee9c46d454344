#pragma once
// Plain types of the Windows Media Format runtime: identifiers, the media type of a
// stream with its format block (WAVEFORMATEX for audio, VIDEOINFOHEADER for video),
// versions and result codes.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/WinTypes.h"

namespace wmf {

using ::BYTE;
using ::DWORD;
using ::GUID;
using ::WORD;

using QWORD = std::uint64_t;

inline std::string ToString(const GUID& guid) { return GuidToString(guid); }

// The media subtype of a wave format tag or a FOURCC: the value followed by
// -0000-0010-8000-00AA00389B71.
constexpr GUID SubtypeOf(DWORD tagOrFourcc) {
    return {tagOrFourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
constexpr DWORD MakeFourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) | static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
           static_cast<DWORD>(static_cast<BYTE>(c)) << 16 |
           static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}

inline constexpr GUID WMMEDIATYPE_Audio = SubtypeOf(0x73647561);  // 'auds'
inline constexpr GUID WMMEDIATYPE_Video = SubtypeOf(0x73646976);  // 'vids'
inline constexpr GUID WMFORMAT_WaveFormatEx{
    0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr GUID WMFORMAT_VideoInfo{
    0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

inline constexpr WORD WAVE_FORMAT_WMAUDIO1 = 0x0160;
inline constexpr WORD WAVE_FORMAT_WMAUDIO2 = 0x0161;
inline constexpr DWORD FOURCC_WMV1 = MakeFourcc('W', 'M', 'V', '1');
inline constexpr DWORD FOURCC_WMV2 = MakeFourcc('W', 'M', 'V', '2');
inline constexpr DWORD FOURCC_WMV3 = MakeFourcc('W', 'M', 'V', '3');

// Profile versions.
inline constexpr DWORD WMT_VER_4_0 = 0x00040000;
inline constexpr DWORD WMT_VER_7_0 = 0x00070000;
inline constexpr DWORD WMT_VER_8_0 = 0x00080000;
inline constexpr DWORD WMT_VER_9_0 = 0x00090000;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag = 0;
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    WORD nBlockAlign = 0;
    WORD wBitsPerSample = 0;
    WORD cbSize = 0;  // codec bytes that follow the structure in the format block
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};


struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate = 0;
    DWORD dwBitErrorRate = 0;
    std::int64_t AvgTimePerFrame = 0;  // 100 ns units
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88);

// WM_MEDIA_TYPE. The format block (pbFormat, cbFormat) is owned by the type.
struct WM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    bool bFixedSizeSamples = false;
    bool bTemporalCompression = false;
    DWORD lSampleSize = 0;
    GUID formattype;
    std::vector<BYTE> format;

    DWORD cbFormat() const { return static_cast<DWORD>(format.size()); }
};

// The format block read as a structure; false when it is shorter than the structure.
template <typename T>
bool ReadFormat(const WM_MEDIA_TYPE& type, T& out) {
    if (type.format.size() < sizeof(T)) return false;
    std::memcpy(&out, type.format.data(), sizeof(T));
    return true;
}
// Writes a structure over the start of the format block, growing it when needed;
// bytes after the structure (codec data) are kept.
template <typename T>
void WriteFormat(WM_MEDIA_TYPE& type, const T& value) {
    if (type.format.size() < sizeof(T)) type.format.resize(sizeof(T));
    std::memcpy(type.format.data(), &value, sizeof(T));
}

// Media types as the codecs describe their formats: audio with the wave format and its
// codec bytes (cbSize is set from them), video with the video info header.
WM_MEDIA_TYPE WaveFormatMediaType(const WAVEFORMATEX& wave, const std::vector<BYTE>& codecData = {});
WM_MEDIA_TYPE VideoInfoMediaType(const VIDEOINFOHEADER& info);

// Result codes of the runtime.
constexpr HRESULT MakeError(unsigned value) { return static_cast<HRESULT>(value); }
inline constexpr HRESULT ASF_E_BUFFERTOOSMALL = MakeError(0xC00D07D1u);
inline constexpr HRESULT NS_E_INVALID_OUTPUT_FORMAT = MakeError(0xC00D0BBBu);
inline constexpr HRESULT NS_E_NOT_CONFIGURED = MakeError(0xC00D0BBCu);
inline constexpr HRESULT NS_E_AUDIO_CODEC_NOT_INSTALLED = MakeError(0xC00D0BC2u);
inline constexpr HRESULT NS_E_VIDEO_CODEC_NOT_INSTALLED = MakeError(0xC00D0BC4u);
inline constexpr HRESULT NS_E_INVALIDPROFILE = MakeError(0xC00D0BC6u);

}  // namespace wmf
