#pragma once
// IConfigAsfWriter of the Windows Media writer: the profile it writes by.
#include <memory>

#include "platform/Result.h"
#include "platform/media/Filter.h"

namespace wmf {
class WMProfile;
}

namespace media {

class ConfigAsfWriter {
public:
    virtual ~ConfigAsfWriter() = default;
    // The writer takes the profile's audio and video streams as its inputs ("Audio Input
    // 01", "Video Input 01") and encodes each itself: the video at the profile's size
    // (scaled from the source), frame rate (frames repeated or dropped), bitrate and
    // key-frame spacing; the audio at its sample rate, channels and bitrate. Fails with
    // NS_E_AUDIO_CODEC_NOT_INSTALLED or NS_E_VIDEO_CODEC_NOT_INSTALLED when no encoder
    // has a stream's format, NS_E_INVALIDPROFILE when the profile has no stream the
    // writer can take (or two of a kind), NS_E_INVALID_OUTPUT_FORMAT for a format without
    // a size, rate or channels, and VFW_E_ALREADY_CONNECTED once an input is connected.
    // Whether the encoder takes the format's values (an odd width, say) shows at Run.
    virtual HRESULT ConfigureFilterUsingProfile(const std::shared_ptr<wmf::WMProfile>& profile) = 0;
    // The profile given last, or NS_E_NOT_CONFIGURED.
    virtual HRESULT GetCurrentProfile(std::shared_ptr<wmf::WMProfile>& profile) = 0;
};

// The writer's IConfigAsfWriter; empty for any other filter.
std::shared_ptr<ConfigAsfWriter> QueryConfigAsfWriter(const std::shared_ptr<Filter>& filter);

}  // namespace media
