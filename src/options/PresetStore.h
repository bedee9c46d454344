#pragma once
// The person's presets, kept in the settings store, one key each under "Presets"
// with a version value and their format and compressors by name; and a preset as
// a file of its own, in the settings file's text form.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Preset.h"

namespace options {

// The person's presets, in the store's order. One written by a newer version of
// the program, or damaged by hand, is left out and left alone.
std::vector<engine::Preset> StoredPresets();

// The preset of that name: a built-in one (its English or its language's name)
// or the person's, in any letter case.
std::optional<engine::Preset> FindPreset(std::string_view name);

enum class NameCheck { Usable, Invalid, Taken };
// Whether a preset may take the name: not empty, no backslash (it names a key of
// the store), no control characters, and no other preset's (`except` aside).
NameCheck CheckPresetName(std::string_view name, std::string_view except = {});

// Writes the person's preset in one step, in place of the one named `replacing`
// (a rename) when given. False when the store cannot be written.
bool StorePreset(const engine::Preset& preset, std::string_view replacing = {});
bool DeletePreset(std::string_view name);

// The preset alone in a settings-text file, written atomically.
bool ExportPreset(const engine::Preset& preset, const std::string& file);

enum class ImportOutcome { Imported, Damaged, Newer, NotStored };
// Reads a preset file and stores the preset it holds, under the next free name
// ("Name (2)") when its own is taken; `imported` is what was stored. A damaged
// file, one of a newer version or a store that cannot be written changes nothing.
ImportOutcome ImportPreset(const std::string& file, engine::Preset& imported);

}  // namespace options
