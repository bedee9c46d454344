#include "platform/media/StreamCopy.h"

#include <cstring>

#include "platform/media/Internal.h"

namespace media {
namespace detail {

KeepVerdict CanKeep(const AVFormatContext& source, int stream, const AVOutputFormat& muxer) {
    const AVCodecParameters& par = *source.streams[stream]->codecpar;
    // The Windows Media writer encodes by its profile: it never takes a stream as it is.
    if (muxer.video_codec == AV_CODEC_ID_NONE && muxer.audio_codec == AV_CODEC_ID_NONE)
        return KeepVerdict::NotHeld;
    bool held = avformat_query_codec(&muxer, par.codec_id, FF_COMPLIANCE_NORMAL) == 1;
    // Matroska holds anything with a Windows tag in its VfW and ACM wrappings.
    if (!held && avformat_query_codec(&muxer, par.codec_id, FF_COMPLIANCE_UNOFFICIAL) == 1) {
        const AVCodecTag* const tags[] = {par.codec_type == AVMEDIA_TYPE_VIDEO
                                              ? avformat_get_riff_video_tags()
                                              : avformat_get_riff_audio_tags(),
                                          nullptr};
        unsigned int tag = 0;
        held = av_codec_get_tag2(tags, par.codec_id, &tag) != 0;
    }
    // H.264 and HEVC stored with length prefixes (MP4, Matroska) need start codes in
    // the Windows containers; kept as they are, no player could read them there.
    const bool prefixed = (par.codec_id == AV_CODEC_ID_H264 || par.codec_id == AV_CODEC_ID_HEVC) &&
                          par.extradata_size > 0 && par.extradata[0] == 1;
    if (prefixed && (std::strcmp(muxer.name, "avi") == 0 || std::strcmp(muxer.name, "asf") == 0))
        held = false;
    if (!held) return KeepVerdict::NotHeld;
    // Packets without times cannot be placed in the new file.
    // (A raw stream's demuxer makes up decoding times only: no stream start is known.)
    if ((source.iformat->flags & AVFMT_NOTIMESTAMPS) ||
        source.streams[stream]->start_time == AV_NOPTS_VALUE)
        return KeepVerdict::NoTimes;
    return KeepVerdict::Keep;
}

}  // namespace detail

HRESULT CreateStreamCopy(bool video, std::shared_ptr<Filter>& out) {
    const Guid major = video ? MEDIATYPE_Video : MEDIATYPE_Audio;
    out =
        std::make_shared<detail::StreamCopyFilter>(video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO);
    out->AddPin(PINDIR_INPUT, "In", major);
    out->AddPin(PINDIR_OUTPUT, "Out", major);
    return S_OK;
}

void SetStreamCopyFallback(const std::shared_ptr<Filter>& copy,
                           const std::shared_ptr<Filter>& fallback) {
    if (auto filter = std::dynamic_pointer_cast<detail::StreamCopyFilter>(copy))
        filter->fallback = fallback;
}

bool IsStreamCopy(const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<detail::StreamCopyFilter>(filter) != nullptr;
}

bool GraphKeepsStream(FilterGraph& graph, bool video, const std::string& muxer) {
    const AVOutputFormat* format = av_guess_format(muxer.c_str(), nullptr, nullptr);
    std::shared_ptr<EnumFilters> filters;
    if (!format || FAILED(graph.EnumFilters(filters))) return false;
    std::shared_ptr<Filter> filter;
    while (filters->Next(filter) == S_OK) {
        auto decoder = std::dynamic_pointer_cast<detail::DecoderFilter>(filter);
        if (!decoder || (decoder->mediaType == AVMEDIA_TYPE_VIDEO) != video) continue;
        auto source = decoder->source.lock();
        if (!source || !source->input) return false;
        return detail::CanKeep(*source->input, decoder->streamIndex, *format) ==
               detail::KeepVerdict::Keep;
    }
    return false;
}

}  // namespace media
