// Profiles, their stream configurations, and the profile manager with its codec
// information.
#include <algorithm>
#include <new>

#include "platform/wmf/WmfInternal.h"

namespace wmf {
namespace detail {

// ---- stream configuration ------------------------------------------------------

HRESULT StreamConfig::GetStreamType(GUID& type) const {
    type = type_;
    return S_OK;
}
HRESULT StreamConfig::GetStreamNumber(WORD& number) const {
    number = number_;
    return S_OK;
}
HRESULT StreamConfig::SetStreamNumber(WORD number) {
    if (number < 1 || number > 63) return E_INVALIDARG;
    number_ = number;
    return S_OK;
}
HRESULT StreamConfig::GetStreamName(std::string& name) const {
    name = name_;
    return S_OK;
}
HRESULT StreamConfig::SetStreamName(const std::string& name) {
    name_ = name;
    return S_OK;
}
HRESULT StreamConfig::GetConnectionName(std::string& name) const {
    name = connection_;
    return S_OK;
}
HRESULT StreamConfig::SetConnectionName(const std::string& name) {
    connection_ = name;
    return S_OK;
}
HRESULT StreamConfig::GetBitrate(DWORD& bitrate) const {
    bitrate = bitrate_;
    return S_OK;
}
HRESULT StreamConfig::SetBitrate(DWORD bitrate) {
    bitrate_ = bitrate;
    return S_OK;
}
HRESULT StreamConfig::GetBufferWindow(DWORD& window) const {
    window = bufferWindow_;
    return S_OK;
}
HRESULT StreamConfig::SetBufferWindow(DWORD window) {
    bufferWindow_ = window;
    return S_OK;
}

HRESULT StreamConfig::GetType(GUID& type) const { return GetStreamType(type); }

HRESULT StreamConfig::GetMediaType(WM_MEDIA_TYPE* type, DWORD& size) const {
    const DWORD needed = static_cast<DWORD>(sizeof(WM_MEDIA_TYPE)) + mediaType_.cbFormat();
    if (!type) {
        size = needed;
        return S_OK;
    }
    if (size < needed) {
        size = needed;
        return ASF_E_BUFFERTOOSMALL;
    }
    try {
        *type = mediaType_;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT StreamConfig::SetMediaType(const WM_MEDIA_TYPE& type) {
    if (!(type.majortype == type_)) return E_INVALIDARG;
    mediaType_ = type;
    return S_OK;
}

HRESULT StreamConfig::GetMaxKeyFrameSpacing(std::int64_t& spacing) const {
    spacing = maxKeyFrameSpacing_;
    return S_OK;
}
HRESULT StreamConfig::SetMaxKeyFrameSpacing(std::int64_t spacing) {
    if (spacing < 0) return E_INVALIDARG;
    maxKeyFrameSpacing_ = spacing;
    return S_OK;
}
HRESULT StreamConfig::GetQuality(DWORD& quality) const {
    quality = quality_;
    return S_OK;
}
HRESULT StreamConfig::SetQuality(DWORD quality) {
    if (quality > 100) return E_INVALIDARG;
    quality_ = quality;
    return S_OK;
}

// ---- profile -------------------------------------------------------------------

HRESULT Profile::GetVersion(DWORD& version) const {
    version = version_;
    return S_OK;
}
HRESULT Profile::GetName(std::string& name) const {
    name = name_;
    return S_OK;
}
HRESULT Profile::SetName(const std::string& name) {
    name_ = name;
    return S_OK;
}
HRESULT Profile::GetDescription(std::string& description) const {
    description = description_;
    return S_OK;
}
HRESULT Profile::SetDescription(const std::string& description) {
    description_ = description;
    return S_OK;
}
HRESULT Profile::GetStreamCount(DWORD& count) const {
    count = static_cast<DWORD>(streams_.size());
    return S_OK;
}

HRESULT Profile::GetStream(DWORD index, std::shared_ptr<WMStreamConfig>& config) const {
    config.reset();
    if (index >= streams_.size()) return E_INVALIDARG;
    config = streams_[index];
    return S_OK;
}

HRESULT Profile::GetStreamByNumber(WORD number, std::shared_ptr<WMStreamConfig>& config) const {
    config.reset();
    for (const auto& s : streams_) {
        WORD n = 0;
        s->GetStreamNumber(n);
        if (n == number) {
            config = s;
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT Profile::RemoveStreamByNumber(WORD number) {
    const auto before = streams_.size();
    std::erase_if(streams_, [&](const auto& s) {
        WORD n = 0;
        s->GetStreamNumber(n);
        return n == number;
    });
    return streams_.size() < before ? S_OK : E_INVALIDARG;
}

HRESULT Profile::AddStream(const std::shared_ptr<WMStreamConfig>& config) {
    if (!config) return E_POINTER;
    auto own = std::dynamic_pointer_cast<StreamConfig>(config);
    if (!own) return E_INVALIDARG;
    WORD number = 0;
    own->GetStreamNumber(number);
    if (number < 1 || number > 63) return E_INVALIDARG;
    std::shared_ptr<WMStreamConfig> taken;
    if (SUCCEEDED(GetStreamByNumber(number, taken))) return E_INVALIDARG;
    GUID type;
    own->GetStreamType(type);
    if (!(own->mediaType().majortype == type) || own->mediaType().format.empty())
        return E_INVALIDARG;
    try {
        streams_.push_back(std::make_shared<StreamConfig>(*own));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT Profile::CreateNewStream(const GUID& type, std::shared_ptr<WMStreamConfig>& config) {
    config.reset();
    if (!(type == WMMEDIATYPE_Audio) && !(type == WMMEDIATYPE_Video)) return E_INVALIDARG;
    config = std::make_shared<StreamConfig>(type);
    return S_OK;
}

HRESULT Profile::GetMutualExclusionCount(DWORD& count) const {
    count = 0;
    return S_OK;
}

namespace {

// ---- profile manager with its codec information --------------------------------

class ProfileManager final : public WMProfileManager, public WMCodecInfo {
public:
    // A snapshot, so one manager always answers with the same list.
    ProfileManager(std::vector<CodecEntry> audio, std::vector<CodecEntry> video)
        : audio_(std::move(audio)), video_(std::move(video)) {}

    HRESULT CreateEmptyProfile(DWORD version, std::shared_ptr<WMProfile>& profile) override {
        profile.reset();
        if (version != WMT_VER_4_0 && version != WMT_VER_7_0 && version != WMT_VER_8_0 &&
            version != WMT_VER_9_0)
            return E_INVALIDARG;
        profile = std::make_shared<Profile>(version);
        return S_OK;
    }

    HRESULT LoadProfileByData(const std::string& text,
                              std::shared_ptr<WMProfile>& profile) override {
        return ParseProfile(text, profile);
    }

    HRESULT SaveProfile(const std::shared_ptr<WMProfile>& profile, std::string& text) override {
        if (!profile) return E_POINTER;
        return WriteProfile(*profile, text);
    }

    HRESULT GetCodecInfoCount(const GUID& major, DWORD& count) const override {
        const auto* codecs = Codecs(major);
        if (!codecs) return E_INVALIDARG;
        count = static_cast<DWORD>(codecs->size());
        return S_OK;
    }

    HRESULT GetCodecName(const GUID& major, DWORD codec, std::string& name) const override {
        const auto* codecs = Codecs(major);
        if (!codecs || codec >= codecs->size()) return E_INVALIDARG;
        name = (*codecs)[codec].name;
        return S_OK;
    }

    HRESULT GetCodecFormatCount(const GUID& major, DWORD codec, DWORD& count) const override {
        const auto* codecs = Codecs(major);
        if (!codecs || codec >= codecs->size()) return E_INVALIDARG;
        count = static_cast<DWORD>((*codecs)[codec].formats.size());
        return S_OK;
    }

    HRESULT GetCodecFormat(const GUID& major, DWORD codec, DWORD format,
                           std::shared_ptr<WMStreamConfig>& config) const override {
        config.reset();
        const auto* codecs = Codecs(major);
        if (!codecs || codec >= codecs->size() || format >= (*codecs)[codec].formats.size())
            return E_INVALIDARG;
        const WM_MEDIA_TYPE& type = (*codecs)[codec].formats[format];
        auto made = std::make_shared<StreamConfig>(major);
        // An installed codec may describe its format with a foreign major type; the
        // stream still carries it, as the runtime would hand it out.
        WM_MEDIA_TYPE carried = type;
        carried.majortype = major;
        made->SetMediaType(carried);
        DWORD bitrate = 0;
        WAVEFORMATEX wave;
        VIDEOINFOHEADER video;
        if (type.formattype == WMFORMAT_WaveFormatEx && ReadFormat(type, wave))
            bitrate = wave.nAvgBytesPerSec * 8;
        else if (type.formattype == WMFORMAT_VideoInfo && ReadFormat(type, video))
            bitrate = video.dwBitRate;
        made->SetBitrate(bitrate);
        config = made;
        return S_OK;
    }

private:
    const std::vector<CodecEntry>* Codecs(const GUID& major) const {
        if (major == WMMEDIATYPE_Audio) return &audio_;
        if (major == WMMEDIATYPE_Video) return &video_;
        return nullptr;
    }

    std::vector<CodecEntry> audio_;
    std::vector<CodecEntry> video_;
};

}  // namespace

std::shared_ptr<WMProfileManager> MakeProfileManager(std::vector<CodecEntry> audio,
                                                     std::vector<CodecEntry> video) {
    return std::make_shared<ProfileManager>(std::move(audio), std::move(video));
}

}  // namespace detail

std::shared_ptr<WMMediaProps> QueryMediaProps(const std::shared_ptr<WMStreamConfig>& config) {
    return std::dynamic_pointer_cast<WMMediaProps>(config);
}

std::shared_ptr<WMVideoMediaProps> QueryVideoMediaProps(
    const std::shared_ptr<WMStreamConfig>& config) {
    auto own = std::dynamic_pointer_cast<detail::StreamConfig>(config);
    if (!own || !own->IsVideo()) return nullptr;
    return own;
}

std::shared_ptr<WMCodecInfo> QueryCodecInfo(const std::shared_ptr<WMProfileManager>& manager) {
    return std::dynamic_pointer_cast<WMCodecInfo>(manager);
}

}  // namespace wmf
