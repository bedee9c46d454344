#include "WmfFaults.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>

#include "platform/wmf/Runtime.h"

namespace wmf::testing {
namespace {

constexpr std::size_t kOperations = static_cast<std::size_t>(Operation::Count);
std::array<std::atomic<HRESULT>, kOperations> forced{};
std::mutex codecsMutex;
std::optional<std::vector<CodecEntry>> installedAudio;
std::optional<std::vector<CodecEntry>> installedVideo;

HRESULT Forced(Operation op) { return forced[static_cast<std::size_t>(op)].load(); }

class ProfileWrapper final : public WMProfile {
public:
    explicit ProfileWrapper(std::shared_ptr<WMProfile> inner) : inner_(std::move(inner)) {}
    HRESULT GetVersion(DWORD& version) const override { return inner_->GetVersion(version); }
    HRESULT GetName(std::string& name) const override { return inner_->GetName(name); }
    HRESULT SetName(const std::string& name) override { return inner_->SetName(name); }
    HRESULT GetDescription(std::string& description) const override {
        return inner_->GetDescription(description);
    }
    HRESULT SetDescription(const std::string& description) override {
        return inner_->SetDescription(description);
    }
    HRESULT GetStreamCount(DWORD& count) const override { return inner_->GetStreamCount(count); }
    HRESULT GetStream(DWORD index, std::shared_ptr<WMStreamConfig>& config) const override {
        return inner_->GetStream(index, config);
    }
    HRESULT GetStreamByNumber(WORD number, std::shared_ptr<WMStreamConfig>& config) const override {
        return inner_->GetStreamByNumber(number, config);
    }
    HRESULT RemoveStreamByNumber(WORD number) override {
        return inner_->RemoveStreamByNumber(number);
    }
    HRESULT AddStream(const std::shared_ptr<WMStreamConfig>& config) override {
        if (const HRESULT hr = Forced(Operation::AddStream); FAILED(hr)) return hr;
        return inner_->AddStream(config);
    }
    HRESULT CreateNewStream(const GUID& type, std::shared_ptr<WMStreamConfig>& config) override {
        return inner_->CreateNewStream(type, config);
    }
    HRESULT GetMutualExclusionCount(DWORD& count) const override {
        return inner_->GetMutualExclusionCount(count);
    }

private:
    std::shared_ptr<WMProfile> inner_;
};

HRESULT WrapProfile(HRESULT hr, std::shared_ptr<WMProfile>& profile) {
    if (profile) profile = std::make_shared<ProfileWrapper>(profile);
    return hr;
}

class ManagerWrapper final : public WMProfileManager, public WMCodecInfo {
public:
    explicit ManagerWrapper(std::shared_ptr<WMProfileManager> inner)
        : inner_(std::move(inner)), codecs_(QueryCodecInfo(inner_)) {}

    HRESULT CreateEmptyProfile(DWORD version, std::shared_ptr<WMProfile>& profile) override {
        profile.reset();
        if (const HRESULT hr = Forced(Operation::CreateEmptyProfile); FAILED(hr)) return hr;
        return WrapProfile(inner_->CreateEmptyProfile(version, profile), profile);
    }
    HRESULT LoadProfileByData(const std::string& text,
                              std::shared_ptr<WMProfile>& profile) override {
        return WrapProfile(inner_->LoadProfileByData(text, profile), profile);
    }
    HRESULT SaveProfile(const std::shared_ptr<WMProfile>& profile, std::string& text) override {
        return inner_->SaveProfile(profile, text);
    }

    HRESULT GetCodecInfoCount(const GUID& major, DWORD& count) const override {
        return codecs_->GetCodecInfoCount(major, count);
    }
    HRESULT GetCodecName(const GUID& major, DWORD codec, std::string& name) const override {
        return codecs_->GetCodecName(major, codec, name);
    }
    HRESULT GetCodecFormatCount(const GUID& major, DWORD codec, DWORD& count) const override {
        return codecs_->GetCodecFormatCount(major, codec, count);
    }
    HRESULT GetCodecFormat(const GUID& major, DWORD codec, DWORD format,
                           std::shared_ptr<WMStreamConfig>& config) const override {
        return codecs_->GetCodecFormat(major, codec, format, config);
    }

private:
    std::shared_ptr<WMProfileManager> inner_;
    std::shared_ptr<WMCodecInfo> codecs_;
};

class FaultyRuntime final : public Runtime {
public:
    std::vector<CodecEntry> Codecs(const GUID& major) override {
        {
            std::lock_guard lock(codecsMutex);
            const auto& installed = major == WMMEDIATYPE_Video ? installedVideo : installedAudio;
            if (installed) return *installed;
        }
        return Runtime::Codecs(major);
    }
    HRESULT CreateProfileManager(std::shared_ptr<WMProfileManager>& manager) override {
        if (const HRESULT hr = Forced(Operation::CreateProfileManager); FAILED(hr)) return hr;
        const HRESULT hr = Runtime::CreateProfileManager(manager);
        if (manager) manager = std::make_shared<ManagerWrapper>(manager);
        return hr;
    }
};

void InstallFaultyRuntime() { InstallRuntime(std::make_shared<FaultyRuntime>()); }

// Every test process that links the faults has them in place before its first test.
[[maybe_unused]] const bool installedAtStart = (InstallFaultyRuntime(), true);

}  // namespace

void InstallCodecs(const GUID& major, std::vector<CodecEntry> codecs) {
    std::lock_guard lock(codecsMutex);
    (major == WMMEDIATYPE_Video ? installedVideo : installedAudio) = std::move(codecs);
}

void ForceFailure(Operation op, HRESULT hr) {
    forced[static_cast<std::size_t>(op)] = FAILED(hr) ? hr : E_FAIL;
}

void ResetAll() {
    for (auto& f : forced) f = S_OK;
    {
        std::lock_guard lock(codecsMutex);
        installedAudio.reset();
        installedVideo.reset();
    }
    if (!dynamic_cast<FaultyRuntime*>(CurrentRuntime().get())) InstallFaultyRuntime();
}

}  // namespace wmf::testing
