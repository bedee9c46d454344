#pragma once
// --convert: one conversion without a window, on the window's road through the
// engine and with its stored settings.
#include <string>

namespace cli {

struct ConvertRequest {
    std::string input;
    std::string output;  // empty: the output file of the stored settings
    std::string format;  // empty: the output's extension, else the stored format
    bool overwrite = false;
    bool keepVideo = false;  // the source's streams as they are, where the format holds them
    bool keepAudio = false;
    std::string start;  // the part to convert, as given (h:mm:ss.fff); empty: the whole
    std::string end;
    std::string duration;
    std::string audioTracks;  // "all", "default", or empty: as stored
    bool terminal = false;  // standard error is a terminal: redraw the progress line
};

// Converts and returns the exit code (see ExitCode.h); reasons go to standard error.
int Convert(const ConvertRequest& request);

}  // namespace cli
