#include "platform/media/VideoFileTypes.h"

#include "platform/media/Internal.h"

namespace media {

std::vector<std::string> VideoFilePatterns() {
    // Extensions alone do not say "video" (a demuxer also lists audio and subtitle
    // kinds), so the video ones are named here, each with the demuxer that reads it.
    static constexpr struct {
        const char* extension;
        const char* demuxer;
    } kVideoTypes[] = {
        {"avi", "avi"},       {"mp4", "mov"},          {"m4v", "mov"},     {"mov", "mov"},
        {"3gp", "mov"},       {"3g2", "mov"},          {"mkv", "matroska"}, {"webm", "matroska"},
        {"wmv", "asf"},       {"asf", "asf"},          {"flv", "flv"},     {"f4v", "mov"},
        {"mpg", "mpeg"},      {"mpeg", "mpeg"},        {"vob", "mpeg"},    {"ts", "mpegts"},
        {"m2ts", "mpegts"},   {"mts", "mpegts"},       {"ogv", "ogg"},     {"dv", "dv"},
        {"rm", "rm"},         {"rmvb", "rm"},          {"nut", "nut"},     {"mxf", "mxf"},
        {"y4m", "yuv4mpegpipe"}, {"divx", "avi"},      {"h264", "h264"},   {"ivf", "ivf"},
    };
    detail::EnsureFfmpegReady();
    std::vector<std::string> patterns;
    for (const auto& type : kVideoTypes)
        if (av_find_input_format(type.demuxer)) patterns.push_back(std::string("*.") + type.extension);
    return patterns;
}

}  // namespace media
