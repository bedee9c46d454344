#include "platform/media/AudioEncodeStage.h"

#include "platform/media/FfmpegLog.h"

namespace media::detail {
namespace {

int ChunkSizeOf(const AVCodecContext& enc) {
    return AudioChunker::ChunkSize(enc.frame_size,
                                   enc.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
}

}  // namespace

AudioEncodeStage::AudioEncodeStage(StreamEncoder& encoder, BoundedQueue<FramePtr>& frames,
                                   RunStatus& status, const AVFormatContext& source,
                                   const AVStream& input)
    : encoder_(encoder),
      frames_(frames),
      status_(status),
      inputTimeBase_(input.time_base),
      start_(av_rescale_q(source.start_time != AV_NOPTS_VALUE ? source.start_time : 0,
                          AVRational{1, AV_TIME_BASE}, input.time_base)),
      resampler_(encoder.context()->sample_fmt, encoder.context()->ch_layout,
                 encoder.context()->sample_rate),
      chunker_(encoder.context()->sample_fmt, encoder.context()->ch_layout,
               encoder.context()->sample_rate, ChunkSizeOf(*encoder.context())) {}

void AudioEncodeStage::Run() {
    FramePtr frame;
    while (frames_.Pop(frame)) {
        LogCapture capture;
        if (!frame) {
            if (!resampler_.Convert(nullptr, chunker_))
                return status_.Fail(QV_E_ENCODE, capture.Reason());
            if (Drain(true)) encoder_.Finish();
            return;
        }
        if (!chunker_.started()) {
            // The stream keeps its offset against the video; samples run on from there.
            const std::int64_t pts = frame->best_effort_timestamp;
            const std::int64_t first =
                pts == AV_NOPTS_VALUE
                    ? 0
                    : av_rescale_q(pts - start_, inputTimeBase_, encoder_.context()->time_base);
            chunker_.StartAt(first < 0 ? 0 : first);
        }
        if (!resampler_.Convert(frame.get(), chunker_))
            return status_.Fail(QV_E_ENCODE, capture.Reason());
        if (!Drain(false)) return;
    }
}

bool AudioEncodeStage::Drain(bool last) {
    for (;;) {
        FramePtr chunk;
        if (!chunker_.Next(chunk, last)) {
            status_.Fail(E_OUTOFMEMORY);
            return false;
        }
        if (!chunk) return true;
        if (!encoder_.Send(chunk.get())) return false;
    }
}

}  // namespace media::detail
