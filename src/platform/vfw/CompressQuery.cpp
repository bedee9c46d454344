// The compress query's answer: can this encoder take frames of a given size?
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
}

#include "platform/vfw/Internal.h"

namespace vfw::detail {
namespace {

constexpr int kLargestSide = 16384;

// FFmpeg's own encoders say whether a size suits them only when opened, which is
// quick. Encoders of outside libraries (whose names start with "lib") can be slow
// to open and take any even size, so they are judged without opening.
bool TryOpen(const AVCodec* codec, int width, int height) {
    if (std::strncmp(codec->name, "lib", 3) == 0) return width % 2 == 0 && height % 2 == 0;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return false;
    context->width = width;
    context->height = height;
    context->time_base = AVRational{1, 25};
    context->framerate = AVRational{25, 1};
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    if (codec->pix_fmts) {
        context->pix_fmt = codec->pix_fmts[0];
        for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
            const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(*f);
            if (d && !(d->flags & AV_PIX_FMT_FLAG_HWACCEL)) {
                context->pix_fmt = *f;
                break;
            }
        }
    }
    const bool opened = avcodec_open2(context, codec, nullptr) >= 0;
    avcodec_free_context(&context);
    return opened;
}

}  // namespace

bool EncoderAcceptsSize(const std::string& encoderName, int width, int height) {
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName.c_str());
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) return false;
    // The answer never changes within a run; listing the drivers asks every time.
    static std::mutex mutex;
    static std::map<std::tuple<std::string, int, int>, bool> answers;
    const auto key = std::make_tuple(encoderName, width, height);
    {
        std::lock_guard lock(mutex);
        if (auto it = answers.find(key); it != answers.end()) return it->second;
    }
    const bool accepted = TryOpen(codec, width, height);
    std::lock_guard lock(mutex);
    answers[key] = accepted;
    return accepted;
}

}  // namespace vfw::detail
