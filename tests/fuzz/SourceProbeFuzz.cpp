// Opening a source: any file's bytes are probed (streams, decoders, duration,
// frame size) without fault. The bytes go to one temporary file per process.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/media/FilterGraph.h"

namespace {

const std::string& SourcePath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvel-probe-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { ::unlink(SourcePath().c_str()); });
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = SourcePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    std::shared_ptr<media::FilterGraph> graph;
    if (FAILED(media::CreateFilterGraph(graph))) std::abort();
    if (FAILED(graph->RenderFile(path))) return 0;
    std::shared_ptr<media::MediaSeeking> seeking;
    std::int64_t stop = 0;
    if (SUCCEEDED(graph->QueryMediaSeeking(seeking))) seeking->GetStopPosition(stop);
    std::shared_ptr<media::BasicVideo> video;
    long width = 0, height = 0;
    double frame = 0;
    if (SUCCEEDED(graph->QueryBasicVideo(video))) {
        video->GetVideoSize(width, height);
        video->get_AvgTimePerFrame(frame);
    }
    return 0;
}
