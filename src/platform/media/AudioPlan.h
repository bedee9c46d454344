#pragma once
// Sound's way from its decoder to its encoder: the format, rate and channels the
// encoder is opened with, decided when the route is made, and the chain's text
// that brings the decoded sound there in the frames the encoder takes.
//
//   aresample → aformat → asetnsamples
#include <cstdint>
#include <string>
#include <vector>

#include "platform/media/FilterGraph.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace media::detail {

struct WmStream;

// A sound format: what the decoder hands over, or what the encoder takes.
struct SoundFormat {
    int sampleRate = 0;
    AVSampleFormat format = AV_SAMPLE_FMT_NONE;
    int channels = 0;
    std::uint64_t channelMask = 0;  // 0: FFmpeg's default layout for `channels`
    bool operator==(const SoundFormat&) const = default;
};
SoundFormat SoundOf(const AVCodecContext& context);
SoundFormat SoundOf(const AVFrame& frame);
// The layout a format names (FFmpeg's default for its count when it names none).
AVChannelLayout LayoutOf(const SoundFormat& sound);

// The encoder's format for `decoded` sound: the source's where the encoder takes
// it; else the nearest it takes, channels mixed down only where it must (ADPCM,
// WMA). A rate no encoder should be asked to write (below 8 kHz or above 192 kHz)
// is resampled, and said so in `notes`; below 100 Hz there is no sound to
// resample, and the format has no rate.
SoundFormat PlanAudio(const SoundFormat& decoded, const AVCodec* encoder, bool raw,
                      const WmStream* wm, std::vector<RunNote>& notes);

// Samples per frame for an encoder: its fixed frame size, or 1024 when it takes any.
int ChunkSize(int encoderFrameSize, bool variableFrameSize);

// The chain that brings sound `in` to format `out` ("" when it fits as it
// comes), and the one that cuts it into frames of `frameSize` samples.
std::string AudioConvertText(const SoundFormat& out, const SoundFormat& in);
std::string AudioFramesText(int frameSize);

}  // namespace media::detail
