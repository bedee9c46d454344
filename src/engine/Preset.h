#pragma once
// Presets: named sets of Options without a source or an output. The built-in ones
// are read-only; the person's are kept in the settings store (options/PresetStore).
#include <string>
#include <vector>

#include "engine/CompressorChoice.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"

namespace engine {

// What a preset holds, as plain data: its format and compressors by name, never
// by a position in a list that moves when FFmpeg gains an encoder.
struct Preset {
    std::string name;  // a built-in's English name: also how it is known in the settings
    std::string description;
    int nameKey = 0;  // a built-in's language keys; 0 for the person's presets
    int descriptionKey = 0;
    int format = kMp4;
    CompressorChoice video;  // unused for WMV: its writer compresses by itself
    CompressorChoice audio;  // keep: the source's stream as it is, where the format holds it
    bool allAudioTracks = true;  // every sound track, or the source's default one only
    int longerSideAtMost = 0;       // pixels; 0: the source's size
    int targetSizeMB = 0;           // 0: no size asked for
    int videoBitrate = 780 * 1024;  // WMV's writer, bits per second
    int audioBitrate = 128000;
    bool operator==(const Preset&) const = default;
};

// The version presets are written with; a higher one was written by a newer program.
inline constexpr int kPresetVersion = 1;

const std::vector<Preset>& BuiltInPresets();
// The built-in preset named so (its English or its current language's name, any
// letter case), or null.
const Preset* FindBuiltInPreset(std::string_view name);
// The name and description the person reads: a built-in's in the current language.
std::string PresetTitle(const Preset& preset);
std::string PresetDescription(const Preset& preset);

// A compressor the preset names that this computer does not have, and the one
// used in its place (empty: none).
struct MissingCompressor {
    std::string wanted;
    std::string used;
};

// The Options a preset gives, over `settings` (its path and frame size stay): the
// format, the compressors found by name (one missing here, or one the format's
// container cannot hold, gives way to the format's preferred one and is listed in
// `missing`), the keep and track choices, the size limit and target, the bitrates.
void ApplyPreset(const Preset& preset, OutputSettings& settings,
                 std::vector<MissingCompressor>& missing);

// The preset that the settings as they are would make (compressors by the names
// the catalogue gives them now, without their settings), named `name`.
Preset PresetOf(const OutputSettings& settings, const std::string& name);

}  // namespace engine
