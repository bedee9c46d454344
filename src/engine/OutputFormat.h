#pragma once
// The output containers a conversion can write: their numbers as stored, their
// texts and extensions, and the compressors and multiplexer each starts with.
#include <array>

namespace engine {

enum OutputFormat : int { kAvi = 0, kWmv = 1, kMkv = 2, kAsf = 3, kWebm = 4, kMp4 = 5 };

struct OutputFormatRow {
    const char* selectorText;
    const char* extensionRule;  // printf rule applied to the path without its extension
    const char* saveFilterText;
    const char* savePattern;
    const char* preferredVideo;  // name fragments searched when no compressor was chosen
    const char* preferredAudio;
    const char* muxer;  // the multiplexer asked which compressors it holds; none for WMV
};

inline constexpr const char* kVorbisFragment = "xiph.org vorbis encoder";

inline constexpr std::array<OutputFormatRow, 6> OutputFormatTable = {{
    {"AVI", "%s.avi", "Audio Video Interleave file(*.avi)", "*.avi", "ffdshow video encoder",
     "microsoft adpcm", "avi"},
    {"WMV", "%s.wmv", "Windows Media Video file (*.wmv)", "*.wmv", nullptr, nullptr, nullptr},
    {"MKV", "%s.mkv", "Matroska video file(*.mkv)", "*.mkv", "ffdshow video encoder",
     "microsoft adpcm", "matroska"},
    {"ASF", "%s.asf", "Advanced Systems Format file(*.asf)", "*.asf", "ffdshow video encoder",
     "microsoft adpcm", "asf"},
    {"WEBM", "%s.webm", "Advanced Systems Format file(*.webm)", "*.webm", "webm vp8 encoder filter",
     kVorbisFragment, "webm"},
    // The filter text shown is the language file's; this one is the fallback.
    {"MP4", "%s.mp4", "MPEG-4 file(*.mp4)", "*.mp4", "libx264 h.264", "aac (advanced audio coding)",
     "mp4"},
}};

inline bool IsValidFormat(int format) {
    return format >= 0 && format < static_cast<int>(OutputFormatTable.size());
}

}  // namespace engine
