#include "platform/media/SubtitleRoute.h"

#include <vector>

namespace media::detail {
namespace {

constexpr AVRational kMilliseconds{1, 1000};
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

struct SubtitleFreer {
    void operator()(AVSubtitle* s) const { avsubtitle_free(s); }
};

}  // namespace

bool SubtitleRoute::Open() {
    if (target_ == AV_CODEC_ID_NONE) return true;
    decoder_ = OpenDecoder(input_);
    const AVCodec* codec = avcodec_find_encoder(target_);
    if (!decoder_ || !codec) return false;
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) return false;
    encoder_->time_base = kMilliseconds;
    // The styles the decoder read (or its default ones) are what the encoder writes by.
    if (decoder_->subtitle_header_size > 0) {
        encoder_->subtitle_header = static_cast<std::uint8_t*>(
            av_mallocz(static_cast<std::size_t>(decoder_->subtitle_header_size) + 1));
        if (!encoder_->subtitle_header) return false;
        std::copy_n(decoder_->subtitle_header, decoder_->subtitle_header_size,
                    encoder_->subtitle_header);
        encoder_->subtitle_header_size = decoder_->subtitle_header_size;
    }
    return avcodec_open2(encoder_.get(), codec, nullptr) >= 0;
}

OutputStream SubtitleRoute::Describe() const {
    OutputStream out;
    out.parameters.reset(avcodec_parameters_alloc());
    if (out.parameters) {
        if (encoder_)
            avcodec_parameters_from_context(out.parameters.get(), encoder_.get());
        else
            avcodec_parameters_copy(out.parameters.get(), input_.codecpar);
    }
    out.timeBase = encoder_ ? encoder_->time_base : input_.time_base;
    out.source = &input_;
    return out;
}

bool SubtitleRoute::Pass(const AVPacket& packet) {
    if (encoder_) return Convert(packet);
    PacketPtr kept(av_packet_clone(&packet));
    if (!kept) return false;
    const std::int64_t shift = av_rescale_q(startUs_, kMicroseconds, input_.time_base);
    if (kept->pts != AV_NOPTS_VALUE) kept->pts -= shift;
    if (kept->dts != AV_NOPTS_VALUE) kept->dts -= shift;
    // A cue of a part: shown before its start, it is gone, or shown from it on.
    if (kept->pts != AV_NOPTS_VALUE && kept->pts < 0) {
        if (kept->pts + kept->duration <= 0) return true;
        kept->duration += kept->pts;
        kept->pts = kept->dts = 0;
    }
    return mux_.Push(MuxItem{index_, std::move(kept)});
}

bool SubtitleRoute::Convert(const AVPacket& packet) {
    AVSubtitle decoded{};
    int got = 0;
    // The decoder reads the packet's data only; a copy keeps the reader's packet as it is.
    PacketPtr copy(av_packet_clone(&packet));
    if (!copy) return false;
    if (avcodec_decode_subtitle2(decoder_.get(), &decoded, &got, copy.get()) < 0 || !got)
        return true;
    std::unique_ptr<AVSubtitle, SubtitleFreer> held(&decoded);
    if (decoded.num_rects == 0 || decoded.pts == AV_NOPTS_VALUE) return true;
    // Timed from the event's own start, as the text encoders take it.
    std::int64_t start =
        decoded.pts - startUs_ + av_rescale_q(decoded.start_display_time, kMilliseconds, kMicroseconds);
    std::int64_t length =
        static_cast<std::int64_t>(decoded.end_display_time) - decoded.start_display_time;
    decoded.end_display_time -= decoded.start_display_time;
    decoded.start_display_time = 0;
    if (start < 0) {  // as with a kept cue
        const std::int64_t shown = av_rescale_q(start, kMicroseconds, kMilliseconds);
        if (length <= 0 || length + shown <= 0) return true;
        length += shown;
        decoded.end_display_time = static_cast<std::uint32_t>(length);
        start = 0;
    }
    std::vector<std::uint8_t> text(1 << 20);
    const int size = avcodec_encode_subtitle(encoder_.get(), text.data(),
                                             static_cast<int>(text.size()), &decoded);
    if (size <= 0) return true;
    PacketPtr out(av_packet_alloc());
    if (!out || av_new_packet(out.get(), size) < 0) return false;
    std::copy_n(text.data(), size, out->data);
    out->pts = out->dts = av_rescale_q(start, kMicroseconds, kMilliseconds);
    out->duration = length > 0 && decoded.end_display_time != UINT32_MAX ? length : 0;
    return mux_.Push(MuxItem{index_, std::move(out)});
}

}  // namespace media::detail
