#pragma once
// The installed compressors, in two categories, as the device enumerator lists them.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace media {
class Filter;
}

namespace engine {

enum class CompressorCategory { Video, Audio };

// Rows for the options dialog: row 0 is the no-compressor row, then one row per
// entry in enumeration order (row - 1 is the catalogue index).
std::vector<std::string> ListCompressors(CompressorCategory category);

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
std::vector<FormatCompressor> FormatCompressors(CompressorCategory category, int format);

// Whether the format's container holds the category's uncompressed stream, that
// is, whether going without a compressor can be offered for it.
bool FormatTakesUncompressed(CompressorCategory category, int format);

// The first entry whose lower-cased name contains `fragment` (written in lower case).
bool FindPreferredCompressor(CompressorCategory category, std::string_view fragment, int& index);

// The entry named so: its friendly name, or the short name of the FFmpeg encoder
// behind it ("libx264"), in any letter case; -1 when there is none.
int FindCompressorByName(CompressorCategory category, std::string_view name);

// A new filter instance of the entry at `index`; an index of -1 or past the end
// leaves the slot empty without a message. A null slot is refused with a message.
void GetCompressor(int index, std::shared_ptr<media::Filter>* slot);
void GetAudioCompressor(int index, std::shared_ptr<media::Filter>* slot);

// The same with `settings` in place of those the person confirmed for it.
void GetCompressorWith(CompressorCategory category, int index,
                       const std::map<std::string, std::string>& settings,
                       std::shared_ptr<media::Filter>* slot);

// The name of the entry at `index`; empty for -1 or past the end.
std::string CompressorName(CompressorCategory category, int index);

// The stored settings of the named compressor that its encoder does not take
// (hand-edited, or kept by another FFmpeg), as "compressor: name=value" texts; the
// compressor runs without them.
std::vector<std::string> StoredSettingsNotUsed(const std::string& compressorName,
                                               CompressorCategory category);

}  // namespace engine
