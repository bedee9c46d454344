#include "cli/ProgressLine.h"

#include <cmath>

#include "platform/Format.h"

namespace cli {
namespace {

std::string Clock(std::int64_t seconds) {
    if (seconds < 0) return "--:--";
    const auto h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return h ? StrFormat("%lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                         static_cast<long long>(s))
             : StrFormat("%lld:%02lld", static_cast<long long>(m), static_cast<long long>(s));
}

}  // namespace

std::string ProgressText(const engine::RunProgress& progress) {
    const int percent = static_cast<int>(std::floor(progress.fraction * 100));
    const std::string speed = progress.speed > 0 ? StrFormat("%.1fx", progress.speed) : "-.-x";
    // A source of unknown length: the time written is all there is to tell.
    if (!progress.known)
        return StrFormat("%s written  %s", Clock(progress.writtenSeconds).c_str(), speed.c_str());
    return StrFormat("%3d %%  %s left  %s", percent, Clock(progress.secondsLeft).c_str(),
                     speed.c_str());
}

void ProgressLine::Show(const engine::RunProgress& progress) {
    const std::string text = prefix_ + ProgressText(progress);
    if (terminal_) {
        // Pad over the previous drawing: the new text may be shorter.
        const std::size_t pad = drawnWidth_ > text.size() ? drawnWidth_ - text.size() : 0;
        std::fprintf(stream_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
        drawnWidth_ = text.size();
    } else {
        // A tenth of the way, or of an unknown length every ten seconds written.
        const int tenth = progress.known ? static_cast<int>(std::floor(progress.fraction * 10))
                                         : static_cast<int>(progress.writtenSeconds / 10);
        if (tenth <= lastTenth_) return;
        lastTenth_ = tenth;
        std::fprintf(stream_, "%s\n", text.c_str());
    }
    std::fflush(stream_);
}

void ProgressLine::Finish() {
    if (terminal_ && drawnWidth_) std::fputc('\n', stream_);
    drawnWidth_ = 0;
    std::fflush(stream_);
}

}  // namespace cli
