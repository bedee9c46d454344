#pragma once
// The installed compressors, in two categories, as the device enumerator lists them.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Reporter.h"

namespace media {
class Filter;
}

namespace engine {

struct CompressorChoice;
struct OutputSettings;

enum class CompressorCategory { Video, Audio };

// Every walk of the catalogue reports its failures ("Failed to create system
// enumerator"...) to the reporter given.

// Rows for the options dialog: row 0 is the no-compressor row, then one row per
// entry in enumeration order (row - 1 is the catalogue index).
std::vector<std::string> ListCompressors(CompressorCategory category,
                                         Reporter& reporter = StandardErrorReporter());

// One row of a format's compressor list: the catalogue index (what is stored),
// the name shown, and whether it is the format's preferred compressor.
struct FormatCompressor {
    int index = -1;
    std::string name;
    bool preferred = false;
};

// The compressors of the category that the output format's container holds, in
// list order: the preferred one first, then the others in catalogue order. Empty
// for a format that takes no compressor choice (WMV) or is unknown.
std::vector<FormatCompressor> FormatCompressors(CompressorCategory category, int format,
                                                Reporter& reporter = StandardErrorReporter());

// Whether the format's container holds the category's uncompressed stream, that
// is, whether going without a compressor can be offered for it.
bool FormatTakesUncompressed(CompressorCategory category, int format);

// The first entry whose lower-cased name contains `fragment` (written in lower case).
bool FindPreferredCompressor(CompressorCategory category, std::string_view fragment, int& index,
                             Reporter& reporter = StandardErrorReporter());

// The entry named so: its friendly name, or the short name of the FFmpeg encoder
// behind it ("libx264"), in any letter case; -1 when there is none.
int FindCompressorByName(CompressorCategory category, std::string_view name,
                         Reporter& reporter = StandardErrorReporter());

// A new filter instance of the entry at `index`; an index of -1 or past the end
// leaves the slot empty without a message. A null slot is refused with a message.
void GetCompressor(int index, std::shared_ptr<media::Filter>* slot,
                   Reporter& reporter = StandardErrorReporter());
void GetAudioCompressor(int index, std::shared_ptr<media::Filter>* slot,
                        Reporter& reporter = StandardErrorReporter());

// A new instance of the compressor of that name (empty: none, the slot stays
// empty) with the choice's settings applied, instead of those stored now; a
// kept stream's choice gives "keep the original stream".
void BindCompressor(CompressorCategory category, const CompressorChoice& choice,
                    std::shared_ptr<media::Filter>* slot, Reporter& reporter);
// The choice a slot's `index` stands for: "keep the original stream" (kKeepStream),
// or the compressor by name with what the person changed in its Settings.
CompressorChoice ChoiceAt(CompressorCategory category, int index);
// The choices `settings` holds for its format: none where a use switch is off,
// or for a format whose writer compresses by itself (WMV).
void ChosenCompressors(const OutputSettings& settings, CompressorChoice& video,
                       CompressorChoice& audio);
// What the person changed in the Settings of the compressor of that name.
std::map<std::string, std::string> ChangedSettings(CompressorCategory category,
                                                   const std::string& name);


// The name of the entry at `index`; empty for -1 or past the end.
std::string CompressorName(CompressorCategory category, int index,
                           Reporter& reporter = StandardErrorReporter());

// The stored settings of the named compressor that its encoder does not take
// (hand-edited, or kept by another FFmpeg), as "compressor: name=value" texts; the
// compressor runs without them.
std::vector<std::string> StoredSettingsNotUsed(const std::string& compressorName,
                                               CompressorCategory category);

}  // namespace engine
