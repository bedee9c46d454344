#pragma once
// The video encode stage: decoded pictures are timed on the encoder's clock
// (the source's own times, or a rate the writer dictates), scaled to the
// encoder's size and format, and encoded.
//
// Thread: its encode thread owns the encoder, the scaler, the timing and the
// picture held for rate conversion. Stop and failures reach it through its
// input queue and the mux queue, both aborted by RunStatus; it reports its
// own failures (encoder refusal, no memory) through RunStatus::Fail. An empty
// frame is the end: the held picture is emitted, the encoder drained and the
// end passed on to the multiplexer.
#include <optional>

#include "platform/media/Internal.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"
#include "platform/media/VideoScaler.h"
#include "platform/media/VideoTiming.h"

namespace media::detail {

class VideoEncodeStage final : public Stage {
public:
    // `source`/`input`: where the pictures come from, for their times.
    VideoEncodeStage(StreamEncoder& encoder, BoundedQueue<FramePtr>& frames, RunStatus& status,
                     const AVFormatContext& source, AVStream& input);

    void Run() override;

private:
    bool Convert(FramePtr frame);
    bool Emit(FrameSpan span);

    StreamEncoder& encoder_;
    BoundedQueue<FramePtr>& frames_;
    RunStatus& status_;
    VideoScaler scaler_;
    std::optional<RateConverter> rate_;  // only when the writer dictates a rate
    std::optional<KeepRateTiming> keep_;
    FramePtr held_;
};

}  // namespace media::detail
