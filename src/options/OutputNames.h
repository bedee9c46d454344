#pragma once
// The output names of many sources (each named after its source, see
// OutputPathForSource): never one name for two jobs.
#include <string>
#include <vector>

namespace options {

// `wanted` when no path of `taken` names it, else the first "NAME (n).EXT",
// n = 2, 3..., that none does. Paths are compared in their lexical normal form.
std::string FreeOutputName(const std::string& wanted, const std::vector<std::string>& taken);

}  // namespace options
