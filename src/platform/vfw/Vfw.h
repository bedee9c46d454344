#pragma once
// Installable compressors: one driver per compressor of the device catalogue
// (FFmpeg's encoders), video ones of type "vidc" and audio ones of type "audc",
// described by the compressor's friendly name. A driver answers the compress
// query (video), keeps a state block, and shows a configuration dialog of its
// encoder's useful options; what the person changed there is kept per user and
// handed to the compressor filter of the same name.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"

namespace ui {
class Dialog;
}

namespace vfw {

using ::BITMAPINFOHEADER;
using ::DWORD;

using LRESULT = long;

constexpr DWORD mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<unsigned char>(a)) |
           static_cast<DWORD>(static_cast<unsigned char>(b)) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(c)) << 16 |
           static_cast<DWORD>(static_cast<unsigned char>(d)) << 24;
}

inline constexpr DWORD ICTYPE_VIDEO = mmioFOURCC('v', 'i', 'd', 'c');
inline constexpr DWORD ICTYPE_AUDIO = mmioFOURCC('a', 'u', 'd', 'c');
inline constexpr unsigned ICMODE_COMPRESS = 1;
inline constexpr unsigned ICMODE_QUERY = 4;

inline constexpr LRESULT ICERR_OK = 0;
inline constexpr LRESULT ICERR_UNSUPPORTED = -1;
inline constexpr LRESULT ICERR_BADFORMAT = -2;
inline constexpr LRESULT ICERR_ABORT = -10;
inline constexpr LRESULT ICERR_BADHANDLE = -8;
inline constexpr LRESULT ICERR_BADPARAM = -106;
inline constexpr LRESULT ICERR_BADSIZE = -107;

inline constexpr DWORD BI_RGB = 0;


// A driver's description record. Texts are UTF-8; the platform's record holds
// them in fixed UTF-16 arrays of 16, 128 and 128 characters.
struct ICINFO {
    DWORD dwSize = 568;
    DWORD fccType = 0;
    DWORD fccHandler = 0;
    DWORD dwFlags = 0;
    DWORD dwVersion = 0;
    DWORD dwVersionICM = 0x104;
    std::string szName;         // the encoder's short name ("mpeg4")
    std::string szDescription;  // the compressor's friendly name
    std::string szDriver;
};

// An open driver instance; ICClose ends it.
class Driver;
using HIC = Driver*;

// The driver at position `index` of the type's list (the platform's ICInfo walk
// with an index as handler). False past the end or for another type.
bool ICInfo(DWORD fccType, DWORD index, ICINFO& info);
// Opens the driver with this type and handler; null when there is none or its
// encoder cannot be instantiated.
HIC ICOpen(DWORD fccType, DWORD fccHandler, unsigned mode);
LRESULT ICClose(HIC hic);
// Copies the driver's record; the size copied, 0 on failure.
LRESULT ICGetInfo(HIC hic, ICINFO& info);

// ICM_COMPRESS_QUERY: ICERR_OK when the driver can compress frames of the input
// format (into `output` when given), ICERR_BADFORMAT otherwise (always for an
// audio driver: it takes no pictures).
LRESULT ICCompressQuery(HIC hic, const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output);
// ICM_GETSTATE: without a buffer the size of the state block, 0 for a driver
// with nothing to set; with one, the block written (ICERR_OK) or ICERR_BADSIZE
// when the buffer is too small.
LRESULT ICGetState(HIC hic, void* buffer, DWORD size);
inline LRESULT ICGetStateSize(HIC hic) { return ICGetState(hic, nullptr, 0); }
// ICM_SETSTATE: takes a block this driver wrote; the size used, or ICERR_BADPARAM
// (state unchanged) for a block of another size, another driver or damaged.
LRESULT ICSetState(HIC hic, const void* buffer, DWORD size);
// ICM_CONFIGURE: the driver's configuration dialog, modal over `owner`. ICERR_OK
// when the user confirmed (what differs from the encoder's own starting values is
// then kept for the user), ICERR_ABORT when cancelled.
LRESULT ICConfigure(HIC hic, ui::Dialog* owner);

// The encoder options (FFmpeg names and values) last confirmed in the
// configuration dialog of the driver of this type whose description equals
// `description`, ignoring letter case (the last such driver, as the codec
// settings choose it); empty when none was confirmed. A stored value the encoder
// does not take is left out, with a note on standard error.
std::map<std::string, std::string> SavedCompressorOptions(const std::string& description,
                                                          DWORD fccType = ICTYPE_VIDEO);

// The stored values of that driver that the encoder does not take (hand-edited,
// or kept by another FFmpeg), as FFmpeg names and values: they are not used.
std::vector<std::pair<std::string, std::string>> IgnoredCompressorOptions(
    const std::string& description, DWORD fccType = ICTYPE_VIDEO);

// The texts that name encoder settings in the configuration dialogs of the
// drivers of this type, by FFmpeg option name ("b", "g"...), replacing the
// English ones; a setting without one shows FFmpeg's description.
void SetOptionLabels(const std::map<std::string, std::string>& labels, DWORD fccType = ICTYPE_VIDEO);

// Short plain descriptions of the settings that matter most, by FFmpeg option
// name, shown under their fields; those settings come first in the dialog and
// every other one under its Advanced section.
void SetOptionDescriptions(const std::map<std::string, std::string>& descriptions,
                           const std::string& advancedTitle, DWORD fccType = ICTYPE_VIDEO);

// What a person confirmed for the driver of this type and description, as it is
// stored now, to be put back by RestoreDriverSettings (a Cancel in the window
// that opened the configuration). ResetDriverSettings forgets it all, so that
// runs use the encoder's starting values again.
struct DriverSettings {
    std::string key;  // empty: no such driver
    std::vector<std::pair<std::string, std::string>> values;
};
DriverSettings SaveDriverSettings(const std::string& description, DWORD fccType);
void RestoreDriverSettings(const DriverSettings& saved);
void ResetDriverSettings(const std::string& description, DWORD fccType);

// The registry key where the driver of this encoder keeps the user's state.
std::string DriverStateKey(const std::string& encoderName, DWORD fccType = ICTYPE_VIDEO);

}  // namespace vfw
