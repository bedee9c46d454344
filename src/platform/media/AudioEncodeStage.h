#pragma once
// The audio encode stage: decoded sound is resampled to the encoder's format,
// cut into the frames it takes, stamped by sample count and encoded.
//
// Thread: its encode thread owns the encoder, the resampler and the chunker.
// Stop and failures reach it through its input queue and the mux queue, both
// aborted by RunStatus; it reports its own failures through RunStatus::Fail.
// An empty frame is the end: the resampler and the last partial chunk are
// flushed, the encoder drained and the end passed on to the multiplexer.
#include "platform/media/AudioChunker.h"
#include "platform/media/AudioResampler.h"
#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"

namespace media::detail {

class AudioEncodeStage final : public Stage {
public:
    AudioEncodeStage(StreamEncoder& encoder, BoundedQueue<FramePtr>& frames, RunStatus& status,
                     const AVFormatContext& source, const AVStream& input);

    // False when the chunker's buffer could not be had.
    bool ok() const { return chunker_.ok(); }
    void Run() override;

private:
    bool Drain(bool last);

    StreamEncoder& encoder_;
    BoundedQueue<FramePtr>& frames_;
    RunStatus& status_;
    AVRational inputTimeBase_;
    std::int64_t start_;  // the source's start, input time base
    AudioResampler resampler_;
    AudioChunker chunker_;
};

}  // namespace media::detail
