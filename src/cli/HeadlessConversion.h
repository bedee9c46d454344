#pragma once
// --convert: conversions without a window, on the window's road through the
// engine and with its stored settings; one file, or many N at a time.
#include <string>
#include <vector>

namespace cli {

struct ConvertRequest {
    std::vector<std::string> inputs;
    // One input: the file to write (empty: the output file of the stored
    // settings). Several: the folder they go into, named after their sources
    // (empty: the folder of the stored output file).
    std::string output;
    // Empty: the output's extension (one input), else the preset's or the stored format.
    std::string format;
    bool overwrite = false;
    bool keepVideo = false;  // the source's streams as they are, where the format holds them
    bool keepAudio = false;
    std::string start;  // the part to convert, as given (h:mm:ss.fff); empty: the whole
    std::string end;
    std::string duration;
    std::string audioTracks;  // "all", "default", or empty: as stored
    bool terminal = false;  // standard error is a terminal: redraw the progress line
    int jobs = 1;           // conversions at once
    std::string preset;     // empty: the stored settings
    int sizeMB = -1;  // the file's size asked for (0: none); -1: the preset's or the stored one
};

// Converts and returns the exit code (see ExitCode.h); reasons go to standard error.
int Convert(const ConvertRequest& request);

}  // namespace cli
