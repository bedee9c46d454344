#pragma once
// Converts decoded sound to the encoder's sample format, rate and channel layout
// and hands it to the chunker. Owned by the audio encode thread; sound that fits
// already goes through untouched, and a source whose format changes mid-stream
// gets a new resampler.
#include "platform/media/AudioChunker.h"
#include "platform/media/Internal.h"

struct SwrContext;

namespace media::detail {

class AudioResampler {
public:
    AudioResampler(AVSampleFormat format, const AVChannelLayout& layout, int sampleRate);
    ~AudioResampler();
    AudioResampler(const AudioResampler&) = delete;
    AudioResampler& operator=(const AudioResampler&) = delete;

    // Converts `frame` into `chunker`; a null frame drains what the resampler
    // still holds. False when the conversion cannot be set up or memory runs out.
    bool Convert(const AVFrame* frame, AudioChunker& chunker);

private:
    bool Prepare(const AVFrame& frame, const AVChannelLayout& inLayout);

    AVSampleFormat format_;
    AVChannelLayout layout_{};
    int sampleRate_;
    SwrContext* swr_ = nullptr;
    AVChannelLayout inLayout_{};
    int inRate_ = 0;
    int inFormat_ = -1;
    FramePtr scratch_{av_frame_alloc()};
};

}  // namespace media::detail
