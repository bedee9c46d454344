#include "platform/media/FfmpegLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

thread_local LogCapture* tCapture = nullptr;
bool gToStandardError = false;  // set once, before the callback is installed

void OnLog(void* object, int level, const char* format, va_list args) {
    if (level <= AV_LOG_ERROR && tCapture) {
        va_list copy;
        va_copy(copy, args);
        char line[1024];
        std::vsnprintf(line, sizeof line, format, copy);
        va_end(copy);
        tCapture->Record(line);
    }
    if (gToStandardError) av_log_default_callback(object, level, format, args);
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

void InstallFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        gToStandardError = std::getenv("QUORVEL_MEDIA_LOG") != nullptr;
        av_log_set_level(gToStandardError ? AV_LOG_WARNING : AV_LOG_QUIET);
        av_log_set_callback(&OnLog);
    });
}

void EnsureFfmpegReady() { InstallFfmpegLog(); }

LogCapture::LogCapture() : outer_(tCapture) { tCapture = this; }

LogCapture::~LogCapture() { tCapture = outer_; }

void LogCapture::Record(const std::string& piece) {
    partial_ += piece;
    if (partial_.empty() || partial_.back() != '\n') return;
    if (std::string line = Trimmed(partial_); !line.empty()) last_ = std::move(line);
    partial_.clear();
}

std::string LogCapture::Reason(int error) const {
    if (std::string open = Trimmed(partial_); !open.empty()) return open;
    if (!last_.empty()) return last_;
    if (error >= 0) return {};
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

}  // namespace media::detail
