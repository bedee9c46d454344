// The Windows Media writer: takes the streams of a Windows Media profile as its inputs
// and has the streaming engine encode them with FFmpeg's Windows Media encoders.
#include <algorithm>
#include <cstdlib>

#include "platform/media/Internal.h"
#include "platform/media/Runtime.h"
#include "platform/media/StreamTime.h"
#include "platform/wmf/Wmf.h"

namespace media {
namespace detail {
namespace {

HRESULT ReadMediaType(const wmf::WMMediaProps& props, wmf::WM_MEDIA_TYPE& type) {
    wmf::DWORD size = 0;
    const HRESULT hr = props.GetMediaType(nullptr, size);
    return FAILED(hr) ? hr : props.GetMediaType(&type, size);
}

HRESULT DescribeAudio(const wmf::WMStreamConfig& config, const wmf::WM_MEDIA_TYPE& type,
                      WmStream& out) {
    wmf::WAVEFORMATEX wave;
    if (!(type.formattype == wmf::WMFORMAT_WaveFormatEx) || !wmf::ReadFormat(type, wave))
        return wmf::NS_E_INVALIDPROFILE;
    const AVCodecTag* const tags[] = {avformat_get_riff_audio_tags(), nullptr};
    out.encoder = avcodec_find_encoder(av_codec_get_id(tags, wave.wFormatTag));
    if (!out.encoder) return wmf::NS_E_AUDIO_CODEC_NOT_INSTALLED;
    if (wave.nSamplesPerSec == 0 || wave.nSamplesPerSec > 1'000'000 || wave.nChannels == 0 ||
        wave.nChannels > 8)
        return wmf::NS_E_INVALID_OUTPUT_FORMAT;
    out.type = AVMEDIA_TYPE_AUDIO;
    out.sampleRate = static_cast<int>(wave.nSamplesPerSec);
    out.channels = wave.nChannels;
    wmf::DWORD bitrate = 0;
    config.GetBitrate(bitrate);
    out.bitRate = bitrate ? bitrate : std::int64_t{wave.nAvgBytesPerSec} * 8;
    return S_OK;
}

HRESULT DescribeVideo(const std::shared_ptr<wmf::WMStreamConfig>& config,
                      const wmf::WM_MEDIA_TYPE& type, WmStream& out) {
    wmf::VIDEOINFOHEADER info;
    if (!(type.formattype == wmf::WMFORMAT_VideoInfo) || !wmf::ReadFormat(type, info))
        return wmf::NS_E_INVALIDPROFILE;
    const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
    out.encoder = avcodec_find_encoder(av_codec_get_id(tags, info.bmiHeader.biCompression));
    if (!out.encoder) return wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED;
    const std::int64_t width = info.bmiHeader.biWidth;
    const std::int64_t height = std::llabs(std::int64_t{info.bmiHeader.biHeight});
    if (width <= 0 || height <= 0 || info.AvgTimePerFrame <= 0)
        return wmf::NS_E_INVALID_OUTPUT_FORMAT;
    out.type = AVMEDIA_TYPE_VIDEO;
    // The encoder takes only even sizes: an odd side loses its last line rather than
    // the whole run failing.
    out.width = static_cast<int>(std::max<std::int64_t>(2, width & ~std::int64_t{1}));
    out.height = static_cast<int>(std::max<std::int64_t>(2, height & ~std::int64_t{1}));
    // 10,000,000 / fps is cut to whole 100 ns units; the nearest simple rate undoes that
    // (434782 is 23 fps, 333667 is 30000/1001).
    out.frameRate = av_d2q(static_cast<double>(kHundredNsPerSecond) / static_cast<double>(info.AvgTimePerFrame), 1001);
    if (out.frameRate.num <= 0 || out.frameRate.den <= 0) return wmf::NS_E_INVALID_OUTPUT_FORMAT;
    wmf::DWORD bitrate = 0;
    config->GetBitrate(bitrate);
    out.bitRate = bitrate ? bitrate : info.dwBitRate;
    if (auto video = wmf::QueryVideoMediaProps(config)) {
        std::int64_t spacing = 0;
        if (SUCCEEDED(video->GetMaxKeyFrameSpacing(spacing)) && spacing > 0) {
            const std::int64_t frames = av_rescale_q(spacing, kHundredNs, av_inv_q(out.frameRate));
            out.keyFrameInterval = static_cast<int>(std::clamp<std::int64_t>(frames, 1, 100'000));
        }
    }
    return S_OK;
}

}  // namespace

HRESULT WmAsfWriterFilter::ConfigureFilterUsingProfile(
    const std::shared_ptr<wmf::WMProfile>& profile) {
    if (!profile) return E_POINTER;
    if (auto graph = this->graph(); graph && InternalsOf(*graph)->IsRunning())
        return VFW_E_NOT_STOPPED;
    for (const auto& pin : pins())
        if (pin->direction() == PINDIR_INPUT && pin->peer()) return VFW_E_ALREADY_CONNECTED;

    wmf::DWORD count = 0;
    HRESULT hr = profile->GetStreamCount(count);
    if (FAILED(hr)) return hr;
    std::vector<WmStream> streams;
    for (wmf::DWORD i = 0; i < count; ++i) {
        std::shared_ptr<wmf::WMStreamConfig> config;
        hr = profile->GetStream(i, config);
        if (FAILED(hr)) return hr;
        wmf::GUID kind;
        config->GetStreamType(kind);
        auto props = wmf::QueryMediaProps(config);
        if (!props) return wmf::NS_E_INVALIDPROFILE;
        wmf::WM_MEDIA_TYPE type;
        hr = ReadMediaType(*props, type);
        if (FAILED(hr)) return hr;
        WmStream stream;
        if (kind == wmf::WMMEDIATYPE_Audio)
            hr = DescribeAudio(*config, type, stream);
        else if (kind == wmf::WMMEDIATYPE_Video)
            hr = DescribeVideo(config, type, stream);
        else
            hr = wmf::NS_E_INVALIDPROFILE;
        if (FAILED(hr)) return hr;
        for (const auto& s : streams)
            if (s.type == stream.type) return wmf::NS_E_INVALIDPROFILE;  // one of each kind
        streams.push_back(stream);
    }
    if (streams.empty()) return wmf::NS_E_INVALIDPROFILE;
    for (auto& s : streams) s.input = InputPin(s.type);
    streams_ = std::move(streams);
    profile_ = profile;
    return S_OK;
}

HRESULT WmAsfWriterFilter::GetCurrentProfile(std::shared_ptr<wmf::WMProfile>& profile) {
    profile = profile_;
    return profile ? S_OK : wmf::NS_E_NOT_CONFIGURED;
}

const WmStream* WmAsfWriterFilter::StreamFor(AVMediaType type) const {
    for (const auto& s : streams_)
        if (s.type == type) return &s;
    return nullptr;
}

// One input per kind for the writer's life: a later profile reuses it.
std::shared_ptr<Pin> WmAsfWriterFilter::InputPin(AVMediaType type) {
    const bool video = type == AVMEDIA_TYPE_VIDEO;
    const char* name = video ? "Video Input 01" : "Audio Input 01";
    for (const auto& pin : pins())
        if (pin->direction() == PINDIR_INPUT && pin->Name() == name) return pin;
    return AddPin(PINDIR_INPUT, name, video ? MEDIATYPE_Video : MEDIATYPE_Audio);
}

}  // namespace detail

std::shared_ptr<ConfigAsfWriter> QueryConfigAsfWriter(const std::shared_ptr<Filter>& filter) {
    return CurrentRuntime()->QueryConfigAsfWriter(filter);
}

std::shared_ptr<ConfigAsfWriter> Runtime::QueryConfigAsfWriter(
    const std::shared_ptr<Filter>& filter) {
    return std::dynamic_pointer_cast<ConfigAsfWriter>(filter);
}

}  // namespace media
