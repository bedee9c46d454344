#include "platform/media/StreamEncoder.h"

#include <cstring>

#include "platform/media/ContainerCodecs.h"
#include "platform/media/CoreShare.h"
#include "platform/media/FfmpegLog.h"
#include "platform/media/PropertyPages.h"

namespace media::detail {

namespace {

// HDR mastering data as x265 takes it: chromaticities in 0.00002 units, light in 0.0001 cd/m².
std::string X265Hdr(const VideoPlan& plan) {
    std::string params = "hdr10=1:hdr10-opt=1";
    if (const auto& m = plan.mastering) {
        auto c = [](AVRational q, int scale) {
            return std::to_string(av_rescale(q.num, scale, q.den));
        };
        params +=
            ":master-display=G(" + c(m->display_primaries[1][0], 50000) + "," +
            c(m->display_primaries[1][1], 50000) + ")B(" + c(m->display_primaries[2][0], 50000) +
            "," + c(m->display_primaries[2][1], 50000) + ")R(" +
            c(m->display_primaries[0][0], 50000) + "," + c(m->display_primaries[0][1], 50000) +
            ")WP(" + c(m->white_point[0], 50000) + "," + c(m->white_point[1], 50000) + ")L(" +
            c(m->max_luminance, 10000) + "," + c(m->min_luminance, 10000) + ")";
    }
    if (const auto& l = plan.light)
        params += ":max-cll=" + std::to_string(l->MaxCLL) + "," + std::to_string(l->MaxFALL);
    return params;
}

}  // namespace

int StreamEncoder::TryOpen(const PictureOut& picture, bool globalHeader,
                           const std::map<std::string, std::string>& changed) {
    context_.reset(avcodec_alloc_context3(route_.encoder));
    AVCodecContext* enc = context_.get();
    if (!enc) return AVERROR(ENOMEM);
    AVRational rate{0, 1};
    frameDuration_ = 0;
    if (route_.type == AVMEDIA_TYPE_VIDEO) {
        const VideoPlan& plan = route_.video;
        rate = plan.rate;
        enc->width = picture.width;
        enc->height = picture.height;
        enc->pix_fmt = picture.format;
        enc->sample_aspect_ratio = picture.sampleAspect;
        enc->color_primaries = plan.colour.primaries;
        enc->color_trc = plan.colour.transfer;
        enc->colorspace = plan.colour.matrix;
        enc->color_range = plan.colour.range;
        if (route_.keyFrameInterval > 0) enc->gop_size = route_.keyFrameInterval;
        if (rate.num > 0 && rate.den > 0) {
            enc->framerate = rate;
            enc->time_base = av_inv_q(rate);
            frameDuration_ = 1;
        } else {
            enc->time_base = picture.timeBase;
        }
    } else {
        const SoundFormat& sound = route_.sound;
        enc->sample_rate = sound.sampleRate;
        enc->sample_fmt = sound.format;
        av_channel_layout_uninit(&enc->ch_layout);
        enc->ch_layout = LayoutOf(sound);
        enc->time_base = AVRational{1, sound.sampleRate};
    }
    enc->thread_count = CodecThreads();  // the run's cores: the encoder is the slowest stage
    if (globalHeader) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    std::vector<std::string> overridden;
    for (const auto& entry : changed) overridden.push_back(entry.first);
    // A size asked for sets the rate: no constant quality, the encoder's own or
    // the person's (a preset's crf would hold the rate off the size).
    const auto setsRate = [&](const std::string& name) {
        return pass_.bitRate > 0 && (name == "b" || name == "crf" || name == "global_quality");
    };
    if (pass_.bitRate > 0) overridden.insert(overridden.end(), {"b", "crf", "global_quality"});
    const double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    for (const auto& [name, value] :
         EncoderDefaults(route_.encoder->name, enc->width, enc->height, fps, overridden))
        av_opt_set(enc, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
    for (const auto& [name, value] : changed)
        if (const int err = setsRate(name) ? 0
                                           : av_opt_set(enc, name.c_str(), value.c_str(),
                                                        AV_OPT_SEARCH_CHILDREN);
            err < 0)
            return err;
    if (route_.bitRate > 0) enc->bit_rate = route_.bitRate;
    // HDR kept: x265 writes the mastering data into the pictures too.
    if (route_.encoder->id == AV_CODEC_ID_HEVC && IsHdr(route_.video.colour.transfer) &&
        std::strcmp(route_.encoder->name, "libx265") == 0 && !changed.count("x265-params"))
        av_opt_set(enc->priv_data, "x265-params", X265Hdr(route_.video).c_str(), 0);
    SetUpPass(*enc, pass_);
    return avcodec_open2(enc, route_.encoder, nullptr);
}

HRESULT StreamEncoder::Open(const PictureOut& picture, bool globalHeader, std::string& reason) {
    const auto changed = route_.compressor ? route_.compressor->ChangedOptions()
                                           : std::map<std::string, std::string>{};
    LogCapture capture;
    int err = TryOpen(picture, globalHeader, changed);
    if (err < 0 && !changed.empty()) {
        NoteSettingsRefused(route_.compressor, route_.encoder->name);
        LogCapture retry;  // only the plain settings' refusal counts
        err = TryOpen(picture, globalHeader, {});
        if (err < 0) reason = retry.Reason(err);
    } else if (err < 0) {
        reason = capture.Reason(err);
    }
    if (err >= 0) return S_OK;
    return context_ ? route_.refusal : E_OUTOFMEMORY;
}

OutputStream StreamEncoder::Describe(const AVStream* source) const {
    const AVCodecContext& enc = *context_;
    OutputStream out;
    out.parameters.reset(avcodec_parameters_alloc());
    if (out.parameters) avcodec_parameters_from_context(out.parameters.get(), &enc);
    out.timeBase = enc.time_base;
    out.frameRate = enc.framerate;
    // Matroska and WebM state the pixels' shape from the stream's own field.
    out.sampleAspect = enc.sample_aspect_ratio;
    out.frameDuration = frameDuration_;
    out.video = route_.type == AVMEDIA_TYPE_VIDEO;
    out.dropPriming = route_.dropPriming;
    out.source = source;
    if (out.video) {
        out.mastering = route_.video.mastering;
        out.light = route_.video.light;
    }
    return out;
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
    if (!Send(nullptr)) return;
    // libvpx and libaom hand over a first pass's stats once drained.
    if (pass_.pass == 1 && context_->stats_out) pass_.stats = context_->stats_out;
    mux_.Push(MuxItem{index_, nullptr});
}

}  // namespace media::detail
