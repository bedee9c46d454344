#pragma once
// The conversion's progress on standard error: one line redrawn in place on a
// terminal, else a new line at every tenth, so that logs stay short.
#include <cstdio>
#include <string>
#include <utility>

#include "engine/RunProgress.h"

namespace cli {

// "  42 %  0:12 left  3.1x": percent, time left (h:mm:ss past an hour), speed
// as a multiple of real time; "--:--" and "-.-x" while they cannot be told.
std::string ProgressText(const engine::RunProgress& progress);

class ProgressLine {
public:
    // `prefix` (a file's name) starts every line, so that runs side by side tell apart.
    ProgressLine(std::FILE* stream, bool terminal, std::string prefix = {})
        : stream_(stream), terminal_(terminal), prefix_(std::move(prefix)) {}
    void Show(const engine::RunProgress& progress);
    // Ends the line (terminal) after the last Show.
    void Finish();

private:
    std::FILE* stream_;
    bool terminal_;
    std::string prefix_;
    int lastTenth_ = -1;
    std::size_t drawnWidth_ = 0;
};

}  // namespace cli
