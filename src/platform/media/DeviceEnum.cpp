// The system device enumerator over FFmpeg's encoders.
#include "platform/media/DeviceEnum.h"

#include <algorithm>
#include <map>
#include <cstring>

#include "platform/Text.h"
#include "platform/media/Internal.h"
#include "platform/media/Runtime.h"

namespace media {
namespace detail {
namespace {

struct Device {
    const AVCodec* codec;
    std::string friendlyName;  // empty: FFmpeg gives no name
};

const char* PreferredName(const AVCodec* codec) {
    struct Alias {
        const char* encoder;
        const char* name;
    };
    static const Alias aliases[] = {
        {"mpeg4", kFfdshowVideoEncoderName},
        {"adpcm_ms", kMicrosoftAdpcmName},
        {"libvpx", kWebmVp8EncoderName},
        {"libvorbis", kVorbisEncoderName},
    };
    for (const auto& a : aliases)
        if (std::strcmp(codec->name, a.encoder) == 0) return a.name;
    return nullptr;
}

// Encoders that cannot work in a file-to-file pipeline on this machine: hardware
// encoders need devices, experimental ones refuse to open without a special flag,
// and the frame wrapper writes pointers, not media.
bool Usable(const AVCodec* codec) {
    if (codec->type != AVMEDIA_TYPE_VIDEO && codec->type != AVMEDIA_TYPE_AUDIO) return false;
    if (codec->capabilities & (AV_CODEC_CAP_EXPERIMENTAL | AV_CODEC_CAP_HARDWARE)) return false;
    if (avcodec_get_hw_config(codec, 0)) return false;
    if (codec->id == AV_CODEC_ID_WRAPPED_AVFRAME) return false;
    static const char* const hardwareWrappers[] = {"omx",  "v4l2m2m", "vaapi",      "nvenc",
                                                   "qsv",  "amf",     "mediacodec", "videotoolbox",
                                                   "cuda", "mf",      "vulkan"};
    for (const char* hw : hardwareWrappers) {
        if (codec->wrapper_name && std::strcmp(codec->wrapper_name, hw) == 0) return false;
        const std::size_t n = std::strlen(codec->name), m = std::strlen(hw);
        if (n > m + 1 && codec->name[n - m - 1] == '_' && std::strcmp(codec->name + n - m, hw) == 0)
            return false;
    }
    if (codec->type == AVMEDIA_TYPE_VIDEO && codec->pix_fmts) {
        bool software = false;
        for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
            const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(*f);
            if (d && !(d->flags & AV_PIX_FMT_FLAG_HWACCEL)) software = true;
        }
        if (!software) return false;
    }
    return true;
}

// Built once: FFmpeg's encoder list is fixed for the life of the process. Sorted by
// name so that stored indexes survive FFmpeg reordering its internal list.
const std::vector<Device>& Devices(AVMediaType type) {
    static const auto all = [] {
        std::vector<Device> video, audio;
        void* it = nullptr;
        while (const AVCodec* codec = av_codec_iterate(&it)) {
            if (!av_codec_is_encoder(codec) || !Usable(codec)) continue;
            const char* preferred = PreferredName(codec);
            Device d{codec, preferred ? preferred : (codec->long_name ? codec->long_name : "")};
            (codec->type == AVMEDIA_TYPE_VIDEO ? video : audio).push_back(std::move(d));
        }
        auto order = [](const Device& a, const Device& b) {
            const std::string& x =
                a.friendlyName.empty() ? std::string(a.codec->name) : a.friendlyName;
            const std::string& y =
                b.friendlyName.empty() ? std::string(b.codec->name) : b.friendlyName;
            const int c = text::CompareNoCase(x, y);
            return c != 0 ? c < 0 : std::strcmp(a.codec->name, b.codec->name) < 0;
        };
        std::stable_sort(video.begin(), video.end(), order);
        std::stable_sort(audio.begin(), audio.end(), order);
        // After sorting, so the order (and every stored index) stays as it was:
        // a name that several encoders share says which encoder each one is.
        for (auto* devices : {&video, &audio}) {
            std::map<std::string, int> uses;
            for (const Device& d : *devices) ++uses[text::Lowered(d.friendlyName)];
            for (Device& d : *devices)
                if (!d.friendlyName.empty() && uses[text::Lowered(d.friendlyName)] > 1)
                    d.friendlyName += std::string(" (") + d.codec->name + ")";
        }
        return std::pair{std::move(video), std::move(audio)};
    }();
    return type == AVMEDIA_TYPE_VIDEO ? all.first : all.second;
}

class DevicePropertyBag final : public PropertyBag {
public:
    explicit DevicePropertyBag(const Device& device) : device_(device) {}
    HRESULT Read(const std::string& property, std::string& value) override {
        if (property == "FFmpegEncoder") {
            value = device_.codec->name;
            return S_OK;
        }
        if (property != "FriendlyName") return E_INVALIDARG;
        if (device_.friendlyName.empty()) return E_FAIL;
        value = device_.friendlyName;
        return S_OK;
    }

private:
    const Device& device_;
};

class DeviceMoniker final : public Moniker {
public:
    explicit DeviceMoniker(const Device& device) : device_(device) {}
    HRESULT BindToStorage(std::shared_ptr<PropertyBag>& out) override {
        out = std::make_shared<DevicePropertyBag>(device_);
        return S_OK;
    }
    HRESULT BindToObject(std::shared_ptr<Filter>& out) override {
        const std::string name =
            device_.friendlyName.empty() ? device_.codec->name : device_.friendlyName;
        auto filter = std::make_shared<CompressorFilter>(name, device_.codec);
        const Guid major =
            device_.codec->type == AVMEDIA_TYPE_VIDEO ? MEDIATYPE_Video : MEDIATYPE_Audio;
        filter->AddPin(PINDIR_INPUT, "XForm In", major);
        filter->AddPin(PINDIR_OUTPUT, "XForm Out", major);
        out = filter;
        return S_OK;
    }
    HRESULT GetDisplayName(std::string& out) override {
        out = std::string("@device:ffmpeg:") + device_.codec->name;
        return S_OK;
    }

private:
    const Device& device_;
};

class SystemDeviceEnum final : public CreateDevEnum {
public:
    HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<EnumMoniker>& out,
                                  unsigned long) override {
        out.reset();
        AVMediaType type;
        if (category == CLSID_VideoCompressorCategory)
            type = AVMEDIA_TYPE_VIDEO;
        else if (category == CLSID_AudioCompressorCategory)
            type = AVMEDIA_TYPE_AUDIO;
        else
            return S_FALSE;
        std::vector<std::shared_ptr<Moniker>> monikers;
        for (const Device& d : Devices(type))
            monikers.push_back(std::make_shared<DeviceMoniker>(d));
        if (monikers.empty()) return S_FALSE;
        out = std::make_shared<EnumMoniker>(std::move(monikers));
        return S_OK;
    }
};

}  // namespace
}  // namespace detail

HRESULT CreateSystemDeviceEnum(std::shared_ptr<CreateDevEnum>& out) {
    out.reset();
    return CurrentRuntime()->CreateSystemDeviceEnum(out);
}

HRESULT Runtime::CreateSystemDeviceEnum(std::shared_ptr<CreateDevEnum>& out) {
    detail::EnsureFfmpegReady();
    out = std::make_shared<detail::SystemDeviceEnum>();
    return S_OK;
}

}  // namespace media
