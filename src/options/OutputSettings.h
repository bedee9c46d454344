#pragma once
// The output options of a conversion, loaded at start-up and stored by the
// options dialog's OK.
#include <string>
#include <string_view>

#include "engine/OutputSettings.h"

namespace ui {
class Dialog;
}

namespace options {

inline constexpr int UnstoredIndex = -2;  // no compressor choice was ever stored
// The options dialog's audio bitrate choices, in its order.
inline constexpr int kAudioBitrates[] = {64000, 128000, 192000, 320000};

// What start-up knows when it loads the settings.
struct LoadContext {
    ui::Dialog* owner = nullptr;  // owner of the video-folder messages
    int osMajorVersion = 10;
};

// The registry value that holds the compressor pair of the format's family.
const char* CompressorNumberKey(int format);

void LoadOutputSettings(engine::OutputSettings& settings, const LoadContext& context);

// Whether the AVI/WMV/MKV/ASF compressor indices of the live record were loaded
// or stored (start-up or an OK on one of those formats), rather than still
// holding their initial values.
bool NonWebmIndicesLoaded();

// The options dialog's control values that OK reads.
struct OptionsControlValues {
    int formatIndex = -1;
    int frameRateIndex = -1;
    std::string frameRateText;
    std::string pathText;
    std::string widthText;
    std::string heightText;
    int videoSelectorIndex = -1;  // entry 0 is "no compressor"
    int audioSelectorIndex = -1;
    std::string videoBitrateText;  // kbit/s
    int audioBitrateIndex = -1;    // 64, 128, 192, 320
    std::string preset;            // the preset the Options came from; empty for none
    std::string longerSideText;    // pixels
    std::string targetSizeText;    // MB
    int audioTracksIndex = -1;     // All, Default only
};

// Computes the settings from the dialog's controls and writes them to the registry.
void StoreOutputSettings(engine::OutputSettings& settings, const OptionsControlValues& controls);

// Reads an integer from text as the C library's atoi does; out-of-range values saturate.
int AtoiLike(std::string_view text);
// Rounds a typed frame size down to a multiple of 8, at least 16.
int RoundFrameSize(std::string_view text);
// The frame rate as the dialog shows it: three decimals with a point.
std::string FormatFrameRate(double frameRate);

}  // namespace options
