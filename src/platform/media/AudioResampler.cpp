#include "platform/media/AudioResampler.h"

extern "C" {
#include <libswresample/swresample.h>
}

namespace media::detail {

AudioResampler::AudioResampler(AVSampleFormat format, const AVChannelLayout& layout, int sampleRate)
    : format_(format), sampleRate_(sampleRate) {
    av_channel_layout_copy(&layout_, &layout);
}

AudioResampler::~AudioResampler() {
    swr_free(&swr_);
    av_channel_layout_uninit(&inLayout_);
    av_channel_layout_uninit(&layout_);
}

bool AudioResampler::Prepare(const AVFrame& frame, const AVChannelLayout& inLayout) {
    if (swr_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
        !av_channel_layout_compare(&inLayout, &inLayout_))
        return true;
    swr_free(&swr_);
    if (swr_alloc_set_opts2(
            &swr_, &layout_, format_, sampleRate_, const_cast<AVChannelLayout*>(&inLayout),
            static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr) < 0 ||
        swr_init(swr_) < 0)
        return false;
    av_channel_layout_uninit(&inLayout_);
    av_channel_layout_copy(&inLayout_, &inLayout);
    inFormat_ = frame.format;
    inRate_ = frame.sample_rate;
    return true;
}

bool AudioResampler::Convert(const AVFrame* frame, AudioChunker& chunker) {
    if (!scratch_) return false;
    if (frame) {
        AVChannelLayout inLayout{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&inLayout, &frame->ch_layout);
        const bool fits = frame->format == format_ && frame->sample_rate == sampleRate_ &&
                          !av_channel_layout_compare(&inLayout, &layout_);
        const bool ready = (fits && !swr_) || Prepare(*frame, inLayout);
        av_channel_layout_uninit(&inLayout);
        if (!ready) return false;
        if (fits && !swr_) return chunker.Write(frame->extended_data, frame->nb_samples);
    }
    if (!swr_) return true;
    const int inSamples = frame ? frame->nb_samples : 0;
    for (;;) {
        const int capacity = swr_get_out_samples(swr_, inSamples) + 16;
        if (scratch_->nb_samples < capacity) {
            av_frame_unref(scratch_.get());
            scratch_->format = format_;
            scratch_->nb_samples = capacity;
            av_channel_layout_copy(&scratch_->ch_layout, &layout_);
            if (av_frame_get_buffer(scratch_.get(), 0) < 0) return false;
        }
        const int n = swr_convert(
            swr_, scratch_->extended_data, scratch_->nb_samples,
            frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr, inSamples);
        if (n < 0) return false;
        if (n > 0 && !chunker.Write(scratch_->extended_data, n)) return false;
        if (frame || n == 0) return true;  // draining: repeat until the resampler is empty
    }
}

}  // namespace media::detail
