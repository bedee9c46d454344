#include "platform/media/VideoScaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace media::detail {

VideoScaler::~VideoScaler() { sws_freeContext(sws_); }

bool VideoScaler::Convert(FramePtr& frame) {
    if (frame->format == format_ && frame->width == width_ && frame->height == height_) return true;
    sws_ = sws_getCachedContext(sws_, frame->width, frame->height,
                                static_cast<AVPixelFormat>(frame->format), width_, height_, format_,
                                SWS_BICUBIC, nullptr, nullptr, nullptr);
    FramePtr converted(av_frame_alloc());
    if (!sws_ || !converted) return false;
    converted->format = format_;
    converted->width = width_;
    converted->height = height_;
    if (av_frame_get_buffer(converted.get(), 0) < 0) return false;
    sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, converted->data,
              converted->linesize);
    av_frame_copy_props(converted.get(), frame.get());
    frame = std::move(converted);
    return true;
}

}  // namespace media::detail
