#pragma once
// One stream of the output as the multiplexer opens it: its codec parameters and
// clock, and the source stream whose language, title and flags it carries. An
// encoder describes its stream; a stream kept as it is, the source does.
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

namespace media::detail {

struct ParametersFreer {
    void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersFreer>;

struct OutputStream {
    ParametersPtr parameters;
    AVRational timeBase{0, 1};  // of the packets handed to the multiplexer
    AVRational frameRate{0, 1};
    AVRational sampleAspect{0, 1};
    std::int64_t frameDuration = 0;  // for video packets that carry none
    bool video = false;
    bool dropPriming = false;
    const AVStream* source = nullptr;  // language, title and flags; null: none
    std::optional<AVMasteringDisplayMetadata> mastering;
    std::optional<AVContentLightMetadata> light;
    // A kept stream's own: its turn, HDR data and the like.
    std::vector<std::pair<AVPacketSideDataType, std::vector<std::uint8_t>>> sideData;
};

}  // namespace media::detail
