#pragma once
// The output containers a conversion can write, in one table that every part of
// the program reads: the numbers they are stored as, the names the command line
// and the presets use, the texts and extensions the window shows, the writer
// that makes the file, the compressors each holds and starts with, and what the
// Options let the person choose for it.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media/Guid.h"
#include "resources/Resources.h"

namespace engine {

enum OutputFormat : int { kAvi = 0, kWmv = 1, kMkv = 2, kAsf = 3, kWebm = 4, kMp4 = 5 };

// What the Options offer for a format's streams.
enum class StreamChoice {
    Compressors,       // both compressor lists, with their Settings
    FixedCompressors,  // the lists shown but not open to change
    Bitrates,          // the writer compresses by itself, at the bitrates given
};

struct OutputFormatRow {
    const char* name;           // on the command line and in presets
    const char* selectorText;   // in the Options' format list
    const char* extensionRule;  // printf rule applied to the path without its extension
    const char* saveFilterText;
    const char* savePattern;
    int saveFilterKey;  // the language's filter text; 0: the fixed one above
    media::Guid writerType;
    const char* missingWriterText;  // when the writer cannot be had; null: the step's own words
    const char* missingWriterPage;  // where to get it; null: none
    const char* muxer;  // the multiplexer asked which compressors it holds; none for WMV
    int family;         // the format whose compressor pair this one uses
    const char* compressorNumberKey;  // where the family's choice is stored
    const char* preferredVideo;       // name fragments searched when no compressor was chosen
    const char* preferredAudio;
    StreamChoice choice;
    bool sizeTarget;  // a file of a chosen size can be asked for
};

inline constexpr const char* kVorbisFragment = "xiph.org vorbis encoder";

inline constexpr std::array<OutputFormatRow, 6> OutputFormatTable = {{
    {"avi", "AVI", "%s.avi", "Audio Video Interleave file(*.avi)", "*.avi", 0,
     media::MEDIASUBTYPE_Avi, nullptr, nullptr, "avi", kAvi, "CompressorNumber",
     "ffdshow video encoder", "microsoft adpcm", StreamChoice::Compressors, false},
    {"wmv", "WMV", "%s.wmv", "Windows Media Video file (*.wmv)", "*.wmv", 0,
     media::CLSID_WMAsfWriter, nullptr, nullptr, nullptr, kAvi, "CompressorNumber", nullptr,
     nullptr, StreamChoice::Bitrates, false},
    {"mkv", "MKV", "%s.mkv", "Matroska video file(*.mkv)", "*.mkv", 0, media::CLSID_MatroskaMux,
     "Please install MKV codec)", "https://www.quorvel.example/converter/get-matroska-muxer",
     "matroska", kAvi, "CompressorNumber", "ffdshow video encoder", "microsoft adpcm",
     StreamChoice::Compressors, true},
    {"asf", "ASF", "%s.asf", "Advanced Systems Format file(*.asf)", "*.asf", 0,
     media::CLSID_AsfMux, "Please install ASF Multipexer)",
     "https://www.quorvel.example/search?q=ASF+Multiplexer", "asf", kAvi, "CompressorNumber",
     "ffdshow video encoder", "microsoft adpcm", StreamChoice::Compressors, false},
    {"webm", "WEBM", "%s.webm", "Advanced Systems Format file(*.webm)", "*.webm", 0,
     media::CLSID_WebmMux, "Please install WebM Muxer codec)",
     "https://www.quorvel.example/converter/get-webm-codecs", "webm", kWebm,
     "WebmCompressorNumber", "webm vp8 encoder filter", kVorbisFragment,
     StreamChoice::FixedCompressors, true},
    {"mp4", "MP4", "%s.mp4", "MPEG-4 file(*.mp4)", "*.mp4", resources::IDS_FILTER_MP4,
     media::CLSID_Mp4Mux, nullptr, nullptr, "mp4", kMp4, "Mp4CompressorNumber", "libx264 h.264",
     "aac (advanced audio coding)", StreamChoice::Compressors, true},
}};

inline bool IsValidFormat(int format) {
    return format >= 0 && format < static_cast<int>(OutputFormatTable.size());
}

// The row of a valid format.
inline const OutputFormatRow& FormatRow(int format) {
    return OutputFormatTable[static_cast<std::size_t>(format)];
}

// The format of a command-line or preset name ("webm", any letter case), -1 for none.
int FormatOfName(std::string_view name);
// The format a file name's extension names, -1 for none.
int FormatOfPath(std::string_view path);
// Every format's name, in the order of the numbers.
std::vector<std::string> FormatNames();

}  // namespace engine
