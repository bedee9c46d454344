#pragma once
// The Windows Media Format runtime's profile part: the profile manager, profiles and
// their stream configurations, and the codec information that lists the formats the
// runtime can encode. The codecs are FFmpeg's Windows Media encoders. Counted
// references are std::shared_ptr; strings are UTF-8.
#include <memory>
#include <string>
#include <vector>

#include "platform/wmf/WmTypes.h"

namespace wmf {

// IWMStreamConfig.
class WMStreamConfig {
public:
    virtual ~WMStreamConfig() = default;
    virtual HRESULT GetStreamType(GUID& type) const = 0;
    virtual HRESULT GetStreamNumber(WORD& number) const = 0;
    // 1 to 63.
    virtual HRESULT SetStreamNumber(WORD number) = 0;
    virtual HRESULT GetStreamName(std::string& name) const = 0;
    virtual HRESULT SetStreamName(const std::string& name) = 0;
    virtual HRESULT GetConnectionName(std::string& name) const = 0;
    virtual HRESULT SetConnectionName(const std::string& name) = 0;
    // Bits per second.
    virtual HRESULT GetBitrate(DWORD& bitrate) const = 0;
    virtual HRESULT SetBitrate(DWORD bitrate) = 0;
    // Milliseconds.
    virtual HRESULT GetBufferWindow(DWORD& window) const = 0;
    virtual HRESULT SetBufferWindow(DWORD window) = 0;
};

// IWMMediaProps of a stream configuration.
class WMMediaProps {
public:
    virtual ~WMMediaProps() = default;
    virtual HRESULT GetType(GUID& type) const = 0;
    // With no type, `size` receives the size the type needs; with a type, `size` must
    // be at least that (ASF_E_BUFFERTOOSMALL otherwise) and the type is filled.
    virtual HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD& size) const = 0;
    virtual HRESULT SetMediaType(const WM_MEDIA_TYPE& type) = 0;
};

// IWMVideoMediaProps of a video stream configuration.
class WMVideoMediaProps : public WMMediaProps {
public:
    // 100 ns units.
    virtual HRESULT GetMaxKeyFrameSpacing(std::int64_t& spacing) const = 0;
    virtual HRESULT SetMaxKeyFrameSpacing(std::int64_t spacing) = 0;
    // 0 (smoothest motion) to 100 (sharpest frames).
    virtual HRESULT GetQuality(DWORD& quality) const = 0;
    virtual HRESULT SetQuality(DWORD quality) = 0;
};

// The optional interfaces of a stream configuration; empty when not offered.
std::shared_ptr<WMMediaProps> QueryMediaProps(const std::shared_ptr<WMStreamConfig>& config);
std::shared_ptr<WMVideoMediaProps> QueryVideoMediaProps(
    const std::shared_ptr<WMStreamConfig>& config);

// IWMProfile.
class WMProfile {
public:
    virtual ~WMProfile() = default;
    virtual HRESULT GetVersion(DWORD& version) const = 0;
    virtual HRESULT GetName(std::string& name) const = 0;
    virtual HRESULT SetName(const std::string& name) = 0;
    virtual HRESULT GetDescription(std::string& description) const = 0;
    virtual HRESULT SetDescription(const std::string& description) = 0;
    virtual HRESULT GetStreamCount(DWORD& count) const = 0;
    // The profile's own stream (changes to it change the profile), in the order added.
    virtual HRESULT GetStream(DWORD index, std::shared_ptr<WMStreamConfig>& config) const = 0;
    virtual HRESULT GetStreamByNumber(WORD number, std::shared_ptr<WMStreamConfig>& config) const = 0;
    virtual HRESULT RemoveStreamByNumber(WORD number) = 0;
    // Copies the configuration into the profile. It needs a stream number not in use
    // and a media type of its own stream type.
    virtual HRESULT AddStream(const std::shared_ptr<WMStreamConfig>& config) = 0;
    // A new configuration of `type` (audio or video), not yet in the profile.
    virtual HRESULT CreateNewStream(const GUID& type, std::shared_ptr<WMStreamConfig>& config) = 0;
    virtual HRESULT GetMutualExclusionCount(DWORD& count) const = 0;
};

// One codec the codec information offers, with its formats; each format's bitrate comes
// from its format block.
struct CodecEntry {
    std::string name;
    std::vector<WM_MEDIA_TYPE> formats;
};

// IWMCodecInfo (with IWMCodecInfo2's names).
class WMCodecInfo {
public:
    virtual ~WMCodecInfo() = default;
    virtual HRESULT GetCodecInfoCount(const GUID& major, DWORD& count) const = 0;
    virtual HRESULT GetCodecName(const GUID& major, DWORD codec, std::string& name) const = 0;
    virtual HRESULT GetCodecFormatCount(const GUID& major, DWORD codec, DWORD& count) const = 0;
    // A new stream configuration holding the format's media type and bitrate.
    virtual HRESULT GetCodecFormat(const GUID& major, DWORD codec, DWORD format,
                                   std::shared_ptr<WMStreamConfig>& config) const = 0;
};

// IWMProfileManager.
class WMProfileManager {
public:
    virtual ~WMProfileManager() = default;
    virtual HRESULT CreateEmptyProfile(DWORD version, std::shared_ptr<WMProfile>& profile) = 0;
    // Loads a profile from its text (the form SaveProfile writes). NS_E_INVALIDPROFILE
    // when the text is not a profile.
    virtual HRESULT LoadProfileByData(const std::string& text,
                                      std::shared_ptr<WMProfile>& profile) = 0;
    virtual HRESULT SaveProfile(const std::shared_ptr<WMProfile>& profile, std::string& text) = 0;
};

std::shared_ptr<WMCodecInfo> QueryCodecInfo(const std::shared_ptr<WMProfileManager>& manager);

HRESULT WMCreateProfileManager(std::shared_ptr<WMProfileManager>& manager);

}  // namespace wmf
