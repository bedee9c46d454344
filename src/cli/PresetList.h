#pragma once
// --list-presets: the built-in presets and the person's, with what each sets.
#include <string>
#include <vector>

#include "engine/Preset.h"

namespace cli {

// The lines that show one preset: its name, its description, then what it sets.
std::vector<std::string> PresetLines(const engine::Preset& preset);

// Prints every preset; the exit code.
int ListPresets();

}  // namespace cli
