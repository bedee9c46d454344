#pragma once
// Class and type identifiers of the media layer, shaped like the platform's GUIDs so
// that the engine compares major types and names writer classes as it would there.
#include <array>
#include <cstdint>
#include <string>

namespace media {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
    bool IsNull() const { return *this == Guid{}; }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string ToString(const Guid& guid);
// Parses the form above (braces optional, any case); false when malformed.
bool GuidFromString(const std::string& text, Guid& out);

// Major types of a connection.
inline constexpr Guid MEDIATYPE_Video{
    0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr Guid MEDIATYPE_Audio{
    0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr Guid MEDIATYPE_Stream{
    0xE436EB83, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Writer types accepted by CaptureGraphBuilder::SetOutputFileName.
inline constexpr Guid MEDIASUBTYPE_Avi{
    0xE436EB88, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid CLSID_WMAsfWriter{
    0x7C23220E, 0x55BB, 0x11D3, {0x8B, 0x16, 0x00, 0xC0, 0x4F, 0xB6, 0xBD, 0x3D}};
// Multiplexer filters reached by class identifier.
inline constexpr const char* kMatroskaMuxClassId = "{A28F324B-DDC5-4999-AA25-D3A7E25EF7A8}";
inline constexpr const char* kAsfMuxClassId = "{6432C990-68CD-4913-98FE-C20322E042C0}";
inline constexpr const char* kWebmMuxClassId = "{ED3110F0-5211-11DF-94AF-0026B977EEAA}";
inline constexpr Guid CLSID_MatroskaMux{
    0xA28F324B, 0xDDC5, 0x4999, {0xAA, 0x25, 0xD3, 0xA7, 0xE2, 0x5E, 0xF7, 0xA8}};
inline constexpr Guid CLSID_AsfMux{
    0x6432C990, 0x68CD, 0x4913, {0x98, 0xFE, 0xC2, 0x03, 0x22, 0xE0, 0x42, 0xC0}};
inline constexpr Guid CLSID_WebmMux{
    0xED3110F0, 0x5211, 0x11DF, {0x94, 0xAF, 0x00, 0x26, 0xB9, 0x77, 0xEE, 0xAA}};

// Device categories of the system device enumerator.
inline constexpr Guid CLSID_VideoCompressorCategory{
    0x33D9A760, 0x90C8, 0x11D0, {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr Guid CLSID_AudioCompressorCategory{
    0x33D9A761, 0x90C8, 0x11D0, {0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};

}  // namespace media
