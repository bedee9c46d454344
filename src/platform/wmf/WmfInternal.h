#pragma once
// The layer's insides, shared by its .cpp files only.
#include <memory>
#include <vector>

#include "platform/wmf/Wmf.h"

namespace wmf::detail {

// One stream configuration: IWMStreamConfig with IWMMediaProps, and IWMVideoMediaProps
// when the stream is video.
class StreamConfig final : public WMStreamConfig, public WMVideoMediaProps {
public:
    explicit StreamConfig(const GUID& type) : type_(type) { mediaType_.majortype = type; }

    HRESULT GetStreamType(GUID& type) const override;
    HRESULT GetStreamNumber(WORD& number) const override;
    HRESULT SetStreamNumber(WORD number) override;
    HRESULT GetStreamName(std::string& name) const override;
    HRESULT SetStreamName(const std::string& name) override;
    HRESULT GetConnectionName(std::string& name) const override;
    HRESULT SetConnectionName(const std::string& name) override;
    HRESULT GetBitrate(DWORD& bitrate) const override;
    HRESULT SetBitrate(DWORD bitrate) override;
    HRESULT GetBufferWindow(DWORD& window) const override;
    HRESULT SetBufferWindow(DWORD window) override;

    HRESULT GetType(GUID& type) const override;
    HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD& size) const override;
    HRESULT SetMediaType(const WM_MEDIA_TYPE& type) override;
    HRESULT GetMaxKeyFrameSpacing(std::int64_t& spacing) const override;
    HRESULT SetMaxKeyFrameSpacing(std::int64_t spacing) override;
    HRESULT GetQuality(DWORD& quality) const override;
    HRESULT SetQuality(DWORD quality) override;

    bool IsVideo() const { return type_ == WMMEDIATYPE_Video; }
    const WM_MEDIA_TYPE& mediaType() const { return mediaType_; }

private:
    GUID type_;
    WORD number_ = 0;
    std::string name_;
    std::string connection_;
    DWORD bitrate_ = 0;
    DWORD bufferWindow_ = 3000;
    WM_MEDIA_TYPE mediaType_;
    std::int64_t maxKeyFrameSpacing_ = 80'000'000;
    DWORD quality_ = 75;
};

class Profile final : public WMProfile {
public:
    explicit Profile(DWORD version) : version_(version) {}

    HRESULT GetVersion(DWORD& version) const override;
    HRESULT GetName(std::string& name) const override;
    HRESULT SetName(const std::string& name) override;
    HRESULT GetDescription(std::string& description) const override;
    HRESULT SetDescription(const std::string& description) override;
    HRESULT GetStreamCount(DWORD& count) const override;
    HRESULT GetStream(DWORD index, std::shared_ptr<WMStreamConfig>& config) const override;
    HRESULT GetStreamByNumber(WORD number, std::shared_ptr<WMStreamConfig>& config) const override;
    HRESULT RemoveStreamByNumber(WORD number) override;
    HRESULT AddStream(const std::shared_ptr<WMStreamConfig>& config) override;
    HRESULT CreateNewStream(const GUID& type, std::shared_ptr<WMStreamConfig>& config) override;
    HRESULT GetMutualExclusionCount(DWORD& count) const override;

private:
    DWORD version_;
    std::string name_;
    std::string description_;
    std::vector<std::shared_ptr<StreamConfig>> streams_;
};

// The codecs FFmpeg's Windows Media encoders make for a major type.
const std::vector<CodecEntry>& BuiltInCodecs(const GUID& major);
// The layer's manager, offering these codecs.
std::shared_ptr<WMProfileManager> MakeProfileManager(std::vector<CodecEntry> audio,
                                                     std::vector<CodecEntry> video);

// The profile text: the XML form of the platform's profile files.
HRESULT ParseProfile(const std::string& text, std::shared_ptr<WMProfile>& profile);
HRESULT WriteProfile(const WMProfile& profile, std::string& text);

}  // namespace wmf::detail
