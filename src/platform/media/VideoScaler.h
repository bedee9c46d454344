#pragma once
// Brings decoded pictures to the encoder's size and pixel format. Owned by the
// video encode thread; holds swscale's context between pictures, so a source
// that changes size mid-stream only costs a new context.
#include "platform/media/Internal.h"

struct SwsContext;

namespace media::detail {

class VideoScaler {
public:
    VideoScaler(int width, int height, AVPixelFormat format)
        : width_(width), height_(height), format_(format) {}
    ~VideoScaler();
    VideoScaler(const VideoScaler&) = delete;
    VideoScaler& operator=(const VideoScaler&) = delete;

    // Replaces `frame` by its picture at the target size and format, its times
    // and properties kept; a frame that fits already is left as it is. False when
    // memory runs out.
    bool Convert(FramePtr& frame);

private:
    int width_;
    int height_;
    AVPixelFormat format_;
    SwsContext* sws_ = nullptr;
};

}  // namespace media::detail
