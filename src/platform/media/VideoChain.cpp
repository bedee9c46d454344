#include "platform/media/VideoChain.h"

#include <algorithm>

extern "C" {
#include <libavfilter/buffersink.h>
}

namespace media::detail {

VideoChain::VideoChain(VideoPlan plan, AVRational sampleAspect, AVRational timeBase,
                       std::int64_t start, std::int64_t frameDuration, RunStatus& status)
    : plan_(std::move(plan)),
      sampleAspect_(sampleAspect.num > 0 && sampleAspect.den > 0 ? sampleAspect : AVRational{1, 1}),
      timeBase_(timeBase),
      start_(start),
      frameDuration_(frameDuration),
      status_(status) {}

HRESULT VideoChain::Configure(const PictureIn& in, std::string& reason) {
    in_ = in;
    in_.sampleAspect = sampleAspect_;
    char source[256];
    std::snprintf(source, sizeof source,
                  "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", in.width,
                  in.height, static_cast<int>(in.format), timeBase_.num, timeBase_.den,
                  sampleAspect_.num, sampleAspect_.den);
    text_ = VideoFilterText(plan_, in_);
    if (chain_.Build(AVMEDIA_TYPE_VIDEO, source, text_, reason) >= 0) return S_OK;
    // Without what the pictures can do without, and said so.
    const std::string essential = VideoFilterText(plan_, in_, false);
    std::string again;
    if (essential == text_ || chain_.Build(AVMEDIA_TYPE_VIDEO, source, essential, again) < 0)
        return QV_E_FILTER;
    if (text_.find("bwdif") != std::string::npos) status_.Note(RunNoteKind::NotDeinterlaced);
    if (text_.find("tonemap") != std::string::npos) status_.Note(RunNoteKind::NotToneMapped);
    text_ = essential;
    reason.clear();
    return S_OK;
}

int VideoChain::width() const { return av_buffersink_get_w(chain_.sink()); }
int VideoChain::height() const { return av_buffersink_get_h(chain_.sink()); }
AVPixelFormat VideoChain::format() const {
    return static_cast<AVPixelFormat>(av_buffersink_get_format(chain_.sink()));
}
AVRational VideoChain::sampleAspect() const {
    return av_buffersink_get_sample_aspect_ratio(chain_.sink());
}
AVRational VideoChain::timeBase() const { return av_buffersink_get_time_base(chain_.sink()); }

bool VideoChain::Send(FramePtr frame, const Emit& emit) {
    std::int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = any_ ? last_ + frameDuration_ : start_;
    if (any_ && pts < last_) pts = last_;
    any_ = true;
    last_ = pts;
    frame->pts = pts - start_;
    // Converting the rate, a picture before the start gives way to the one at it.
    if (plan_.convertRate) frame->pts = std::max<std::int64_t>(frame->pts, 0);
    frame->sample_aspect_ratio = sampleAspect_;

    PictureIn in = PictureOf(*frame);
    in.interlaced = in.interlaced || (in_.interlaced && in.width == in_.width);
    if (Differ(in, in_) || !chain_.built()) {
        if (chain_.built() && !Drain(frame->pts, emit)) return false;
        std::string reason;
        if (const HRESULT hr = Configure(in, reason); FAILED(hr)) {
            status_.Fail(hr, reason);
            return false;
        }
    }
    if (const int err = chain_.Send(frame.get()); err < 0) {
        status_.Fail(FromAvError(err, QV_E_FILTER));
        return false;
    }
    return Pull(emit);
}

bool VideoChain::Finish(const Emit& emit) {
    if (!chain_.built()) return true;
    // The last picture lasts one source picture; at an unknown length, one frame.
    std::int64_t length = frameDuration_;
    if (length <= 0 && plan_.convertRate)
        length = std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(plan_.rate), timeBase_));
    return Drain(any_ ? last_ - start_ + length : 0, emit);
}

bool VideoChain::Drain(std::int64_t end, const Emit& emit) {
    if (const int err = chain_.Close(end); err < 0) {
        status_.Fail(FromAvError(err, QV_E_FILTER));
        return false;
    }
    return Pull(emit);
}

bool VideoChain::Pull(const Emit& emit) {
    for (;;) {
        const int err = chain_.Receive(out_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
        if (err < 0) {
            status_.Fail(FromAvError(err, QV_E_FILTER));
            return false;
        }
        const bool go = emit(*out_);
        av_frame_unref(out_.get());
        if (!go) return false;
    }
}

}  // namespace media::detail
