#pragma once
// The output names of many sources: each source's name with the format's
// extension, in one folder, and never one name for two jobs.
#include <string>
#include <vector>

namespace options {

// "<folder>/<source's name>.<format's extension>"; `folder` may end in '/' or not.
std::string OutputNameFor(const std::string& source, const std::string& folder, int format);

// `wanted` when no path of `taken` names it, else the first "NAME (n).EXT",
// n = 2, 3..., that none does. Paths are compared in their lexical normal form.
std::string FreeOutputName(const std::string& wanted, const std::vector<std::string>& taken);

}  // namespace options
