#pragma once
// Cuts converted sound into the frames an audio encoder takes and stamps each with
// its first sample's position. Owned by the audio encode thread.
#include <cstdint>

#include "platform/media/Internal.h"

struct AVAudioFifo;

namespace media::detail {

class AudioChunker {
public:
    // Samples per frame for an encoder: its fixed frame size, or 1024 when it
    // takes any size.
    static int ChunkSize(int encoderFrameSize, bool variableFrameSize);

    AudioChunker(AVSampleFormat format, const AVChannelLayout& layout, int sampleRate,
                 int chunkSize);
    ~AudioChunker();
    AudioChunker(const AudioChunker&) = delete;
    AudioChunker& operator=(const AudioChunker&) = delete;

    bool ok() const { return fifo_ != nullptr; }
    // Where the first sample sits, in samples; until then stamping starts at 0.
    void StartAt(std::int64_t pts) { nextPts_ = pts; }
    bool started() const { return nextPts_ != AV_NOPTS_VALUE; }
    // Appends samples (planes as the format lays them out). False when memory runs out.
    bool Write(std::uint8_t* const* data, int samples);
    // The next whole chunk into `out`; with `last`, the remainder too. `out` is
    // empty when nothing is due. False when memory runs out.
    bool Next(FramePtr& out, bool last);

private:
    AVSampleFormat format_;
    AVChannelLayout layout_{};
    int sampleRate_;
    int chunk_;
    AVAudioFifo* fifo_ = nullptr;
    std::int64_t nextPts_ = AV_NOPTS_VALUE;
};

}  // namespace media::detail
