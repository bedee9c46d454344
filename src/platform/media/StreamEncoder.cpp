#include "platform/media/StreamEncoder.h"

#include "platform/media/ContainerCodecs.h"
#include "platform/media/FfmpegLog.h"
#include "platform/media/PropertyPages.h"

namespace media::detail {

int StreamEncoder::TryOpen(const AVFormatContext& source, AVStream& input, bool globalHeader,
                           const std::map<std::string, std::string>& changed) {
    context_.reset(avcodec_alloc_context3(route_.encoder));
    AVCodecContext* enc = context_.get();
    if (!enc) return AVERROR(ENOMEM);
    AVRational rate{0, 1};
    frameDuration_ = 0;
    if (route_.type == AVMEDIA_TYPE_VIDEO) {
        const AVRational sourceRate =
            av_guess_frame_rate(const_cast<AVFormatContext*>(&source), &input, nullptr);
        rate = route_.frameRate.num > 0 ? route_.frameRate : sourceRate;
        enc->width = route_.width;
        enc->height = route_.height;
        enc->pix_fmt = route_.pixelFormat;
        // A frame scaled to another size keeps no pixel shape of the source's.
        if (route_.width == input.codecpar->width && route_.height == input.codecpar->height)
            enc->sample_aspect_ratio = input.codecpar->sample_aspect_ratio;
        if (route_.keyFrameInterval > 0) enc->gop_size = route_.keyFrameInterval;
        if (rate.num > 0 && rate.den > 0) {
            enc->framerate = rate;
            enc->time_base = av_inv_q(rate);
            frameDuration_ = 1;
        } else {
            enc->time_base = input.time_base;
        }
    } else {
        enc->sample_rate = route_.sampleRate;
        enc->sample_fmt = route_.sampleFormat;
        if (route_.channelMask)
            av_channel_layout_from_mask(&enc->ch_layout, route_.channelMask);
        else
            av_channel_layout_default(&enc->ch_layout, route_.channels);
        enc->time_base = AVRational{1, route_.sampleRate};
    }
    enc->thread_count = 0;  // every core: the encoder is the slowest stage
    if (globalHeader) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    std::vector<std::string> overridden;
    for (const auto& entry : changed) overridden.push_back(entry.first);
    const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    for (const auto& [name, value] :
         EncoderDefaults(route_.encoder->name, enc->width, enc->height, fps, overridden))
        av_opt_set(enc, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
    for (const auto& [name, value] : changed)
        if (const int err = av_opt_set(enc, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
            err < 0)
            return err;
    if (route_.bitRate > 0) enc->bit_rate = route_.bitRate;
    return avcodec_open2(enc, route_.encoder, nullptr);
}

HRESULT StreamEncoder::Open(const AVFormatContext& source, AVStream& input, bool globalHeader,
                            std::string& reason) {
    const auto changed = route_.compressor ? route_.compressor->ChangedOptions()
                                           : std::map<std::string, std::string>{};
    LogCapture capture;
    int err = TryOpen(source, input, globalHeader, changed);
    if (err < 0 && !changed.empty()) {
        NoteSettingsRefused(route_.compressor, route_.encoder->name);
        LogCapture retry;  // only the plain settings' refusal counts
        err = TryOpen(source, input, globalHeader, {});
        if (err < 0) reason = retry.Reason(err);
    } else if (err < 0) {
        reason = capture.Reason(err);
    }
    if (err >= 0) return S_OK;
    return context_ ? route_.refusal : E_OUTOFMEMORY;
}

bool StreamEncoder::Send(AVFrame* frame) {
    AVCodecContext* enc = context_.get();
    // A fixed quantizer reaches MPEG-family encoders through each frame's quality.
    if (frame && (enc->flags & AV_CODEC_FLAG_QSCALE)) frame->quality = enc->global_quality;
    LogCapture capture;
    int err = avcodec_send_frame(enc, frame);
    if (err < 0 && err != AVERROR_EOF) {
        status_.Fail(FromAvError(err, QV_E_ENCODE), capture.Reason(err));
        return false;
    }
    for (;;) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) {
            status_.Fail(E_OUTOFMEMORY);
            return false;
        }
        err = avcodec_receive_packet(enc, packet.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
        if (err < 0) {
            status_.Fail(FromAvError(err, QV_E_ENCODE), capture.Reason(err));
            return false;
        }
        if (!mux_.Push(MuxItem{index_, std::move(packet)})) return false;
    }
}

void StreamEncoder::Finish() {
    if (Send(nullptr)) mux_.Push(MuxItem{index_, nullptr});
}

}  // namespace media::detail
