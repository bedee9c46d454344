#pragma once
// The output options of a conversion, loaded at start-up and stored by the
// options dialog's OK.
#include <string>
#include <string_view>

namespace ui {
class Dialog;
}

namespace options {

inline constexpr int UnstoredIndex = -2;  // no compressor choice was ever stored
inline constexpr double kFrameRate = 23.976;

struct OutputSettings {
    std::string outputPath;
    int outputHeight = 0;
    int outputWidth = 0;
    int useVideoCompressor = 1;
    int useAudioCompressor = 1;
    double frameRate = kFrameRate;
    int videoCompressorIndex = 0;
    int audioCompressorIndex = 0;
    int webmVideoCompressorIndex = 0;
    int webmAudioCompressorIndex = 0;
    int mp4VideoCompressorIndex = 0;
    int mp4AudioCompressorIndex = 0;
    int videoBitrate = 0;
    int audioBitrate = 128000;
    int format = 1;
    int fileProfile = 0;
    bool operator==(const OutputSettings&) const = default;
};

// What start-up knows when it loads the settings.
struct LoadContext {
    ui::Dialog* owner = nullptr;  // owner of the video-folder messages
    int osMajorVersion = 10;
};

// WebM and MP4 each keep a compressor pair of their own; AVI, WMV, MKV and ASF
// share one. The family's pair in the record, the registry value that holds it,
// and the format whose preferred compressors it starts with.
int& VideoCompressorSlot(OutputSettings& settings, int format);
int& AudioCompressorSlot(OutputSettings& settings, int format);
const char* CompressorNumberKey(int format);
int FamilyFormat(int format);
bool SharesCompressors(int format);

void LoadOutputSettings(OutputSettings& settings, const LoadContext& context);

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
};

// Computes the settings from the dialog's controls and writes them to the registry.
void StoreOutputSettings(OutputSettings& settings, const OptionsControlValues& controls);

// Reads an integer from text as the C library's atoi does; out-of-range values saturate.
int AtoiLike(std::string_view text);
// Rounds a typed frame size down to a multiple of 8, at least 16.
int RoundFrameSize(std::string_view text);
// The frame rate as the dialog shows it: three decimals with a point.
std::string FormatFrameRate(double frameRate);

}  // namespace options
