#pragma once
// FFmpeg's log: quiet unless QUORVEL_MEDIA_LOG is set (then warnings and worse go
// to standard error), and its error lines kept for the step that caused them.
//
// Capture is per thread: a step opens a LogCapture around the FFmpeg calls that
// may fail, and only lines logged on that thread while it lives land in it, so
// two graphs running at once never see each other's reasons.
#include <string>

namespace media::detail {

// Installs the log callback once per process.
void InstallFfmpegLog();

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // FFmpeg's last error line on this thread since the capture began; without
    // one, the text of `error` (an AVERROR code); "" when there is neither.
    std::string Reason(int error = 0) const;

    // For the log callback: one piece of an error-level line.
    void Record(const std::string& piece);

private:
    LogCapture* outer_;
    std::string last_;     // the last complete line
    std::string partial_;  // a line FFmpeg has not ended yet
};

}  // namespace media::detail
