#pragma once
// --list-compressors: what a format offers, as the options dialog lists it.
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// One line per compressor of the format, "video: NAME" or "audio: NAME",
// preceded by "* " for the one the program prefers and two spaces otherwise.
// Empty for a format whose writer compresses by itself.
std::vector<std::string> CompressorLines(int format);

// Prints the lines for the format named (or the stored one when empty); the exit code.
int ListCompressors(const std::string& formatName);

}  // namespace cli
