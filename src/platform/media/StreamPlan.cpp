#include "platform/media/StreamPlan.h"

#include <cstring>

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

bool Named(const AVOutputFormat& container, const char* name) {
    return std::strcmp(container.name, name) == 0;
}

// The text format a container writes subtitles in: Matroska keeps the source's
// own where it takes it (SubRip otherwise), MP4 timed text, WebM WebVTT; none
// for the others.
AVCodecID TextFormat(const AVOutputFormat& container, AVCodecID source) {
    if (Named(container, "matroska"))
        return avformat_query_codec(&container, source, FF_COMPLIANCE_NORMAL) == 1
                   ? source
                   : AV_CODEC_ID_SUBRIP;
    if (Named(container, "mp4")) return AV_CODEC_ID_MOV_TEXT;
    if (Named(container, "webm")) return AV_CODEC_ID_WEBVTT;
    return AV_CODEC_ID_NONE;
}

StreamPlan PlanSubtitle(StreamPlan plan, const AVCodecParameters& par,
                        const AVOutputFormat& container) {
    const AVCodecDescriptor* codec = avcodec_descriptor_get(par.codec_id);
    if (!codec) {
        plan.why = LeftOutBecause::NoDecoder;
        return plan;
    }
    if (codec->props & AV_CODEC_PROP_BITMAP_SUB) {
        // Pictures cannot become text: only Matroska carries them, as they are.
        const bool held = Named(container, "matroska") &&
                          avformat_query_codec(&container, par.codec_id, FF_COMPLIANCE_NORMAL) == 1;
        plan.fate = held ? StreamFate::Keep : StreamFate::LeaveOut;
        plan.why = held ? LeftOutBecause::Nothing : LeftOutBecause::NotHeld;
        return plan;
    }
    const AVCodecID target = TextFormat(container, par.codec_id);
    if (target == AV_CODEC_ID_NONE) {
        plan.why = LeftOutBecause::NotHeld;
    } else if (target == par.codec_id) {
        plan.fate = StreamFate::Keep;
    } else if (!avcodec_find_decoder(par.codec_id)) {
        plan.why = LeftOutBecause::NoDecoder;
    } else if (!avcodec_find_encoder(target)) {
        plan.why = LeftOutBecause::Unreadable;
    } else {
        plan.fate = StreamFate::Convert;
        plan.codec = target;
    }
    return plan;
}

}  // namespace

bool HoldsChapters(const AVOutputFormat& container) {
    return Named(container, "matroska") || Named(container, "webm") || Named(container, "mp4");
}

std::vector<StreamPlan> PlanStreams(const AVFormatContext& source, const AVOutputFormat& container,
                                    const StreamChoices& choices) {
    std::vector<StreamPlan> plans;
    int numbers[AVMEDIA_TYPE_NB] = {};
    int converted[AVMEDIA_TYPE_NB] = {};
    if (choices.firstAudio >= 0) converted[AVMEDIA_TYPE_AUDIO] = 1;
    for (unsigned i = 0; i < source.nb_streams; ++i) {
        const AVStream& st = *source.streams[i];
        const AVCodecParameters& par = *st.codecpar;
        StreamPlan plan;
        plan.source = static_cast<int>(i);
        plan.type = par.codec_type;
        const bool counted = plan.type > AVMEDIA_TYPE_UNKNOWN && plan.type < AVMEDIA_TYPE_NB;
        if (counted) plan.number = ++numbers[plan.type];
        if (plan.source == choices.firstVideo || plan.source == choices.firstAudio) {
            plan.fate = StreamFate::Convert;
        } else if (plan.type == AVMEDIA_TYPE_VIDEO) {
            // A second picture (another angle) is beyond one picture's run.
            plan.why = (st.disposition & AV_DISPOSITION_ATTACHED_PIC) ? LeftOutBecause::Ignored
                                                                     : LeftOutBecause::NotHeld;
        } else if (plan.type == AVMEDIA_TYPE_AUDIO) {
            if (!choices.allAudio || choices.firstAudio < 0)
                plan.why = LeftOutBecause::NotChosen;
            else if (choices.oneSound)
                plan.why = LeftOutBecause::NotHeld;
            else if (choices.keepAudio && CanKeep(source, plan.source, container) != KeepVerdict::Keep)
                plan.why = LeftOutBecause::NotHeld;
            else if (choices.keepAudio)
                plan.fate = StreamFate::Keep;
            else if (!avcodec_find_decoder(par.codec_id))
                plan.why = LeftOutBecause::NoDecoder;
            else if (par.sample_rate <= 0 || par.ch_layout.nb_channels <= 0)
                plan.why = LeftOutBecause::Unreadable;
            else
                plan.fate = StreamFate::Convert;
        } else if (plan.type == AVMEDIA_TYPE_SUBTITLE) {
            plan = PlanSubtitle(plan, par, container);
        } else if (plan.type == AVMEDIA_TYPE_ATTACHMENT) {
            // Fonts of styled subtitles, and the like: Matroska keeps them.
            const bool held = Named(container, "matroska") && par.extradata_size > 0;
            plan.fate = held ? StreamFate::Keep : StreamFate::LeaveOut;
            plan.why = held ? LeftOutBecause::Nothing : LeftOutBecause::NotHeld;
        } else {
            plan.why = LeftOutBecause::Ignored;
        }
        const bool extra = plan.fate != StreamFate::LeaveOut && plan.source != choices.firstAudio &&
                           plan.source != choices.firstVideo;
        if (extra && (plan.type == AVMEDIA_TYPE_AUDIO || plan.type == AVMEDIA_TYPE_SUBTITLE) &&
            ++converted[plan.type] >
                (plan.type == AVMEDIA_TYPE_AUDIO ? kMostAudioTracks : kMostSubtitleTracks)) {
            plan.fate = StreamFate::LeaveOut;
            plan.why = LeftOutBecause::OverLimit;
        }
        plans.push_back(plan);
    }
    return plans;
}

}  // namespace media::detail
