#pragma once
// The program's command line, read with Qt's parser before any window or
// display exists.
#include <string>
#include <vector>

namespace ui {

struct CommandLine {
    enum class Mode { Window, Help, Version, Convert, ListCompressors, ListPresets, Invalid };
    Mode mode = Mode::Window;
    std::string file;  // the window's file to open (absolute), or the first file to convert
    std::vector<std::string> inputs;  // every file to convert, in the order given
    std::string
        output;  // --output (a folder for several inputs); empty: where the window would write
    std::string format;  // --format or --list-compressors' FORMAT, lower case; empty if not given
    std::string preset;  // --preset: the preset's name, as given
    int sizeMB = -1;     // --size: the file's size asked for, MB (0: none); -1 when not given
    bool overwrite = false;
    bool keepVideo = false;  // --video copy
    bool keepAudio = false;  // --audio copy
    std::string start;       // --start, --end, --duration as given; empty if not
    std::string end;
    std::string duration;
    std::string audioTracks;  // --audio-tracks, "all" or "default"; empty if not given
    int jobs = 1;      // --jobs: conversions at once
    std::string text;  // the help or version text, or what is wrong with the line
};

// `formatNames`: the output formats' names, as the help lists them and --format takes them.
CommandLine ParseCommandLine(int argc, char** argv, const std::string& version,
                             const std::vector<std::string>& formatNames);

}  // namespace ui
