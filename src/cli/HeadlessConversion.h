#pragma once
// --convert: one conversion without a window, on the window's road through the
// engine and with its stored settings.
#include <string>

namespace cli {

struct ConvertRequest {
    std::string input;
    std::string output;  // empty: the output file of the stored settings
    std::string format;  // empty: the output's extension, else the preset's or the stored format
    std::string preset;  // empty: the stored settings
    int sizeMB = -1;     // the file's size asked for (0: none); -1: the preset's or the stored one
    bool overwrite = false;
    bool terminal = false;  // standard error is a terminal: redraw the progress line
};

// Converts and returns the exit code (see ExitCode.h); reasons go to standard error.
int Convert(const ConvertRequest& request);

}  // namespace cli
