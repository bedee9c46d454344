#pragma once
// What the benchmark's parts share: a measured child process and the ffmpeg
// command that does what the engine does.
#include <string>

struct Measure {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: what the run cost, whatever else the machine did
    long peakKb = 0;        // the largest resident size of the process or any it waited for
};

// `s` in single quotes for the shell.
std::string Quote(const std::string& s);
// Runs `command` with /bin/sh in a child process and measures it.
Measure RunShell(const std::string& command);
// The ffmpeg command that converts `input` into `output` as the engine does in
// `format` ("webm"...), with the engine's own filter chains; "" when the engine
// cannot build that conversion. Builds the engine's graph once (nothing is written).
std::string PeerCommand(const std::string& format, const std::string& input,
                        const std::string& output);

// converter-bench queue: many files through `converter --convert ... --jobs N`.
int QueueBench(const char* converter);
