#pragma once
// The output options a conversion is built from: container, frame size and
// rate, the chosen compressors and bitrates.
#include <cstdint>
#include <string>

#include "engine/OutputFormat.h"

namespace engine {

inline constexpr double kFrameRate = 23.976;
// A compressor slot's value for "keep the original stream".
inline constexpr int kKeepStream = -3;

// A megabyte as file sizes are told to people: a million bytes.
inline constexpr std::int64_t kBytesPerMB = 1000000;

struct OutputSettings {
    std::string outputPath;
    int outputHeight = 0;
    int outputWidth = 0;
    bool useVideoCompressor = true;
    bool useAudioCompressor = true;
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
    // The part of the source to convert, 100 ns from its start (stop 0: to its
    // end). Not stored: it belongs to the source that is open.
    std::int64_t cutStart = 0;
    std::int64_t cutStop = 0;
    // Every sound track of the source, or only its default one.
    bool allAudioTracks = true;
    // The preset the Options were last filled from (its English name for a
    // built-in one); empty for none. Fields changed since stay as changed.
    std::string preset;
    int longerSideAtMost = 0;  // pixels; 0: the source's size
    int targetSizeMB = 0;      // millions of bytes; 0: no size asked for
    bool operator==(const OutputSettings&) const = default;
};

// WebM and MP4 each keep a compressor pair of their own; AVI, WMV, MKV and ASF
// share one. The family's pair in the record, and the format whose preferred
// compressors it starts with.
int& VideoCompressorSlot(OutputSettings& settings, int format);
int& AudioCompressorSlot(OutputSettings& settings, int format);
int FamilyFormat(int format);
bool SharesCompressors(int format);

// Whether a run with these settings is asked for a file of a given size: a
// format that keeps to one, with the picture compressed (not kept as it is).
bool AsksForSize(const OutputSettings& s);

}  // namespace engine
