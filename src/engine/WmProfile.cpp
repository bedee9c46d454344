// The Windows Media profile for WMV output.
#include "engine/WmProfile.h"

#include <cstdio>
#include <new>

#include "platform/Time.h"

namespace engine {
namespace {

using wmf::DWORD;
using wmf::WM_MEDIA_TYPE;
using wmf::WORD;

// Reads a stream configuration's media type the runtime's way: its size, then the type.
HRESULT ReadMediaType(const wmf::WMMediaProps& props, WM_MEDIA_TYPE& type) {
    DWORD size = 0;
    HRESULT hr = props.GetMediaType(nullptr, size);
    if (FAILED(hr)) return hr;
    try {
        return props.GetMediaType(&type, size);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT WmProfileBuilder::GenerateProfile(const AudioProfileParams& audio,
                                          const VideoProfileParams& video, std::uint32_t version,
                                          std::shared_ptr<wmf::WMProfile>& profile) {
    profile.reset();
    std::shared_ptr<wmf::WMProfileManager> manager;
    HRESULT hr = wmf::WMCreateProfileManager(manager);
    if (FAILED(hr)) return hr;
    std::shared_ptr<wmf::WMProfile> made;
    hr = manager->CreateEmptyProfile(version, made);
    if (FAILED(hr)) return hr;
    hr = made->SetName("Custom Profile");
    if (FAILED(hr)) return hr;
    if (audio.present) {
        hr = AddAudioStream(*made, manager, audio);
        if (FAILED(hr)) return hr;
    }
    hr = AddVideoStream(*made, manager, audio.present ? 2 : 1, video);
    if (FAILED(hr)) return hr;
    profile = std::move(made);
    return hr;
}

HRESULT WmProfileBuilder::AddAudioStream(wmf::WMProfile& profile,
                                         const std::shared_ptr<wmf::WMProfileManager>& manager,
                                         const AudioProfileParams& audio) {
    auto info = wmf::QueryCodecInfo(manager);
    if (!info) return E_NOINTERFACE;
    DWORD codecs = 0;
    HRESULT hr = info->GetCodecInfoCount(wmf::WMMEDIATYPE_Audio, codecs);
    if (FAILED(hr)) return hr;

    bool found = false;
    WM_MEDIA_TYPE best;
    wmf::WAVEFORMATEX bestWave;
    for (DWORD c = 0; c < codecs; ++c) {
        DWORD formats = 0;
        hr = info->GetCodecFormatCount(wmf::WMMEDIATYPE_Audio, c, formats);
        if (FAILED(hr)) return hr;
        for (DWORD f = 0; f < formats; ++f) {
            std::shared_ptr<wmf::WMStreamConfig> config;
            hr = info->GetCodecFormat(wmf::WMMEDIATYPE_Audio, c, f, config);
            if (FAILED(hr)) return hr;
            auto props = wmf::QueryMediaProps(config);
            config.reset();
            if (!props) return E_NOINTERFACE;
            WM_MEDIA_TYPE type;
            hr = ReadMediaType(*props, type);
            if (FAILED(hr)) return hr;
            wmf::WAVEFORMATEX w;
            if (!(type.formattype == wmf::WMFORMAT_WaveFormatEx) || !wmf::ReadFormat(type, w))
                return E_FAIL;
            // Within 249 bits per second of the asked bitrate, either way.
            const std::int64_t d =
                static_cast<std::int64_t>(w.nAvgBytesPerSec) * 8 - std::int64_t{audio.bitrate};
            const bool candidate = -250 < d && d < 250 && w.nSamplesPerSec == audio.sampleRate &&
                                   w.nChannels == audio.channels && w.wFormatTag == audio.formatTag;
            // The smallest block alignment wins; on a tie the one found last.
            if (candidate && (!found || !(w.nBlockAlign > bestWave.nBlockAlign))) {
                best = std::move(type);
                bestWave = w;
                found = true;
            }
        }
    }
    if (!found) return wmf::NS_E_AUDIO_CODEC_NOT_INSTALLED;

    WM_MEDIA_TYPE mediaType;
    mediaType.majortype = wmf::WMMEDIATYPE_Audio;
    mediaType.subtype = wmf::SubtypeOf(bestWave.wFormatTag);
    mediaType.bFixedSizeSamples = true;
    mediaType.bTemporalCompression = false;
    mediaType.lSampleSize = bestWave.nBlockAlign;
    mediaType.formattype = wmf::WMFORMAT_WaveFormatEx;
    // The wave format with its codec bytes; a block that claims more codec bytes than it
    // holds is padded with zeros rather than read past its end.
    mediaType.format = std::move(best.format);
    mediaType.format.resize(sizeof(wmf::WAVEFORMATEX) + bestWave.cbSize);

    std::shared_ptr<wmf::WMStreamConfig> config;
    hr = profile.CreateNewStream(wmf::WMMEDIATYPE_Audio, config);
    if (FAILED(hr)) return hr;
    hr = SetStreamBasics(config, 1, "Audio Stream", "Audio", bestWave.nAvgBytesPerSec * 8,
                         mediaType);
    if (FAILED(hr)) return hr;
    return profile.AddStream(config);
}

HRESULT WmProfileBuilder::AddVideoStream(wmf::WMProfile& profile,
                                         const std::shared_ptr<wmf::WMProfileManager>& manager,
                                         WORD streamNumber, const VideoProfileParams& video) {
    auto info = wmf::QueryCodecInfo(manager);
    if (!info) return E_NOINTERFACE;
    DWORD codecs = 0;
    HRESULT hr = info->GetCodecInfoCount(wmf::WMMEDIATYPE_Video, codecs);
    if (FAILED(hr)) return hr;

    std::shared_ptr<wmf::WMStreamConfig> matched;
    std::shared_ptr<wmf::WMVideoMediaProps> props;
    WM_MEDIA_TYPE type;
    wmf::VIDEOINFOHEADER v;
    for (DWORD c = 0; c < codecs && !matched; ++c) {
        DWORD formats = 0;
        hr = info->GetCodecFormatCount(wmf::WMMEDIATYPE_Video, c, formats);
        if (FAILED(hr)) return hr;
        for (DWORD f = 0; f < formats && !matched; ++f) {
            std::shared_ptr<wmf::WMStreamConfig> config;
            hr = info->GetCodecFormat(wmf::WMMEDIATYPE_Video, c, f, config);
            if (FAILED(hr)) return hr;
            props = wmf::QueryVideoMediaProps(config);
            if (!props) return E_NOINTERFACE;
            hr = ReadMediaType(*props, type);
            if (FAILED(hr)) return hr;
            if (type.formattype == wmf::WMFORMAT_VideoInfo && wmf::ReadFormat(type, v) &&
                v.bmiHeader.biCompression == video.fourcc)
                matched = config;
        }
    }
    if (!matched) return wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED;

    // The codec's format, resized and retimed; every other field keeps the codec's value.
    const auto width = static_cast<std::int32_t>(video.width);
    const auto height = static_cast<std::int32_t>(video.height);
    v.dwBitRate = video.bitrate;
    v.rcSource.right = v.rcTarget.right = v.bmiHeader.biWidth = width;
    v.rcSource.bottom = v.rcTarget.bottom = v.bmiHeader.biHeight = height;
    // A rate below one frame per second cannot be divided by; one frame per second it is.
    const std::int64_t fps = video.framesPerSecond ? video.framesPerSecond : 1;
    v.AvgTimePerFrame =
        video.avgTimePerFrame > 0 ? video.avgTimePerFrame : kHundredNsPerSecond / fps;
    wmf::WriteFormat(type, v);

    hr = props->SetQuality(video.quality);
    if (FAILED(hr)) return hr;
    hr = props->SetMaxKeyFrameSpacing(std::int64_t{video.secondsBetweenKeyFrames} *
                                      kHundredNsPerSecond);
    if (FAILED(hr)) return hr;
    hr = SetStreamBasics(matched, streamNumber, "Video Stream", "Video", video.bitrate, type);
    if (FAILED(hr)) return hr;
    return profile.AddStream(matched);
}

HRESULT WmProfileBuilder::SetStreamBasics(const std::shared_ptr<wmf::WMStreamConfig>& config,
                                          WORD streamNumber, const std::string& streamName,
                                          const std::string& connectionName, DWORD bitrate,
                                          const WM_MEDIA_TYPE& mediaType) {
    if (!config) return E_POINTER;
    HRESULT hr = config->SetStreamNumber(streamNumber);
    if (FAILED(hr)) return hr;
    hr = config->SetStreamName(streamName);
    if (FAILED(hr)) return hr;
    hr = config->SetConnectionName(connectionName);
    if (FAILED(hr)) return hr;
    hr = config->SetBitrate(bitrate);
    if (FAILED(hr)) return hr;
    auto props = wmf::QueryMediaProps(config);
    if (!props) return E_NOINTERFACE;
    return props->SetMediaType(mediaType);
}

HRESULT WmProfileBuilder::MapProfile(const std::string& text,
                                     std::shared_ptr<wmf::WMProfile>* profile) {
    if (!profile) return E_POINTER;
    profile->reset();
    std::shared_ptr<wmf::WMProfileManager> manager;
    HRESULT hr = wmf::WMCreateProfileManager(manager);
    if (FAILED(hr)) {
        std::printf("MapProfile: Failed to create profile manager!  hr=0x%x\n",
                    static_cast<unsigned>(hr));
        std::fflush(stdout);
        return hr;
    }
    return manager->LoadProfileByData(text, *profile);
}

}  // namespace engine
