#pragma once
// The system device enumerator: FFmpeg's encoders as the video and audio compressor
// categories. Each encoder is a moniker; binding it creates a new compressor filter.
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/media/Filter.h"
#include "platform/media/Guid.h"

namespace media {

// Friendly names of the preferred compressors.
inline constexpr const char* kFfdshowVideoEncoderName = "ffdshow video encoder";
inline constexpr const char* kMicrosoftAdpcmName = "Microsoft ADPCM";
inline constexpr const char* kWebmVp8EncoderName = "WebM VP8 Encoder Filter";
inline constexpr const char* kVorbisEncoderName = "Xiph.Org Vorbis Encoder";

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // "FriendlyName" (and "FFmpegEncoder", the encoder's short name). E_INVALIDARG for
    // an unknown property, E_FAIL when the name cannot be read.
    virtual HRESULT Read(const std::string& property, std::string& value) = 0;
};

class Moniker {
public:
    virtual ~Moniker() = default;
    virtual HRESULT BindToStorage(std::shared_ptr<PropertyBag>& out) = 0;
    // A new compressor filter on every call.
    virtual HRESULT BindToObject(std::shared_ptr<Filter>& out) = 0;
    // Always readable ("@device:ffmpeg:<encoder>"): the placeholder to show for an
    // entry whose friendly name cannot be read, so list rows keep their indexes.
    virtual HRESULT GetDisplayName(std::string& out) = 0;
};

using EnumMoniker = Enumerator<Moniker>;

class CreateDevEnum {
public:
    virtual ~CreateDevEnum() = default;
    // The category's monikers in one stable order. S_FALSE and an empty enumerator
    // when the category has no entry (or is not a compressor category).
    virtual HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<EnumMoniker>& out,
                                          unsigned long flags) = 0;
};

// CoCreateInstance(CLSID_SystemDeviceEnum).
HRESULT CreateSystemDeviceEnum(std::shared_ptr<CreateDevEnum>& out);

}  // namespace media
