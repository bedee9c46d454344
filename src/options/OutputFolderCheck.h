#pragma once
// The output folder checked before it is relied on: when Options is confirmed
// and before a run builds anything.
#include <string>

namespace options {

// Makes the folder of `outputPath` when it is missing. When it cannot be made, or
// this user may not write in it, says so in one sentence with what to do and
// answers false.
bool OutputFolderUsable(const std::string& outputPath);

}  // namespace options
