#include "platform/media/AudioChain.h"

#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace media::detail {
namespace {

std::string SourceArgs(const SoundFormat& sound, AVRational timeBase) {
    AVChannelLayout layout = LayoutOf(sound);
    char name[128] = "";
    av_channel_layout_describe(&layout, name, sizeof name);
    av_channel_layout_uninit(&layout);
    char args[256];
    std::snprintf(args, sizeof args,
                  "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s", timeBase.num,
                  timeBase.den, sound.sampleRate, av_get_sample_fmt_name(sound.format), name);
    return args;
}

}  // namespace

HRESULT AudioChain::Configure(const SoundFormat& in, std::string& reason) {
    in_ = in;
    convertText_ = AudioConvertText(out_, in);
    convert_.Reset();
    if (!convertText_.empty() &&
        convert_.Build(AVMEDIA_TYPE_AUDIO, SourceArgs(in, timeBase_), convertText_, reason) < 0)
        return QV_E_FILTER;
    if (!frames_.built() &&
        frames_.Build(AVMEDIA_TYPE_AUDIO, SourceArgs(out_, AVRational{1, out_.sampleRate}),
                      AudioFramesText(frameSize_), reason) < 0)
        return QV_E_FILTER;
    return S_OK;
}

std::string AudioChain::text() const {
    return (convertText_.empty() ? "" : convertText_ + ",") + AudioFramesText(frameSize_);
}

bool AudioChain::Send(FramePtr frame, const Emit& emit) {
    if (next_ == AV_NOPTS_VALUE) {
        // The stream keeps its offset against the source's start; samples run on from there.
        const std::int64_t pts = frame->best_effort_timestamp;
        const std::int64_t first =
            pts == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q(pts - start_, timeBase_, AVRational{1, out_.sampleRate});
        next_ = first < 0 ? 0 : first;
        if (fillFromStart_ && next_ > 0 && frames_.built() && !LeadIn())
            return Fail(AVERROR(ENOMEM));
    }
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&frame->ch_layout, frame->ch_layout.nb_channels);
    const SoundFormat in = SoundOf(*frame);
    if (!(in == in_) || !frames_.built()) {
        if (convert_.built() && (convert_.Close(AV_NOPTS_VALUE) < 0 || !Convert(true)))
            return Fail(AVERROR(EINVAL));
        std::string reason;
        if (const HRESULT hr = Configure(in, reason); FAILED(hr)) {
            status_.Fail(hr, reason);
            return false;
        }
    }
    // The framer's clock is the sound's sample count; the times in are not used.
    frame->pts = AV_NOPTS_VALUE;
    const int err = convert_.built() ? convert_.Send(frame.get()) : frames_.Send(frame.get());
    if (err < 0 || (convert_.built() && !Convert(false))) return Fail(err);
    return Pull(emit);
}

bool AudioChain::Finish(const Emit& emit) {
    if (!frames_.built()) return true;
    if (convert_.built() && (convert_.Close(AV_NOPTS_VALUE) < 0 || !Convert(true)))
        return Fail(AVERROR(EINVAL));
    if (const int err = frames_.Close(AV_NOPTS_VALUE); err < 0) return Fail(err);
    return Pull(emit);
}

bool AudioChain::LeadIn() {
    // A second of silence at a time, into the framer ahead of the first sound.
    for (std::int64_t left = next_; left > 0;) {
        FramePtr silence(av_frame_alloc());
        if (!silence) return false;
        silence->format = out_.format;
        silence->sample_rate = out_.sampleRate;
        silence->nb_samples = static_cast<int>(std::min<std::int64_t>(left, out_.sampleRate));
        silence->ch_layout = LayoutOf(out_);
        if (av_frame_get_buffer(silence.get(), 0) < 0 ||
            av_samples_set_silence(silence->extended_data, 0, silence->nb_samples, out_.channels,
                                   out_.format) < 0 ||
            frames_.Send(silence.get()) < 0)
            return false;
        left -= silence->nb_samples;
    }
    next_ = 0;
    return true;
}

bool AudioChain::Fail(int err) {
    status_.Fail(FromAvError(err, QV_E_FILTER));
    return false;
}

bool AudioChain::Convert(bool end) {
    for (;;) {
        const int err = convert_.Receive(scratch_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return !end || err == AVERROR_EOF;
        if (err < 0) return false;
        const int sent = frames_.Send(scratch_.get());
        av_frame_unref(scratch_.get());
        if (sent < 0) return false;
    }
}

bool AudioChain::Pull(const Emit& emit) {
    for (;;) {
        const int err = frames_.Receive(scratch_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
        if (err < 0) return Fail(err);
        scratch_->pts = next_;
        next_ += scratch_->nb_samples;
        const bool go = emit(*scratch_);
        av_frame_unref(scratch_.get());
        if (!go) return false;
    }
}

}  // namespace media::detail
