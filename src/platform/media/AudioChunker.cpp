#include "platform/media/AudioChunker.h"

#include <algorithm>

extern "C" {
#include <libavutil/audio_fifo.h>
}

namespace media::detail {

int AudioChunker::ChunkSize(int encoderFrameSize, bool variableFrameSize) {
    return encoderFrameSize > 0 && !variableFrameSize ? encoderFrameSize : 1024;
}

AudioChunker::AudioChunker(AVSampleFormat format, const AVChannelLayout& layout, int sampleRate,
                           int chunkSize)
    : format_(format), sampleRate_(sampleRate), chunk_(chunkSize) {
    if (av_channel_layout_copy(&layout_, &layout) < 0) return;
    fifo_ = av_audio_fifo_alloc(format, layout.nb_channels, std::max(4096, chunkSize));
}

AudioChunker::~AudioChunker() {
    if (fifo_) av_audio_fifo_free(fifo_);
    av_channel_layout_uninit(&layout_);
}

bool AudioChunker::Write(std::uint8_t* const* data, int samples) {
    if (samples <= 0) return true;
    return av_audio_fifo_write(fifo_, reinterpret_cast<void**>(const_cast<std::uint8_t**>(data)),
                               samples) >= 0;
}

bool AudioChunker::Next(FramePtr& out, bool last) {
    out.reset();
    const int held = av_audio_fifo_size(fifo_);
    if (held < chunk_ && !(last && held > 0)) return true;
    const int n = std::min(chunk_, held);
    FramePtr frame(av_frame_alloc());
    if (!frame) return false;
    frame->nb_samples = n;
    frame->format = format_;
    frame->sample_rate = sampleRate_;
    if (av_channel_layout_copy(&frame->ch_layout, &layout_) < 0 ||
        av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->extended_data), n);
    if (nextPts_ == AV_NOPTS_VALUE) nextPts_ = 0;
    frame->pts = nextPts_;
    nextPts_ += n;
    out = std::move(frame);
    return true;
}

}  // namespace media::detail
