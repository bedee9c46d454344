#pragma once
// The Windows Media profile for WMV output: generated from the output settings, or
// loaded from profile text.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/wmf/Wmf.h"

namespace engine {

struct AudioProfileParams {
    std::uint32_t bitrate = 0;     // bits per second
    std::uint32_t formatTag = 0;   // compared with wFormatTag
    std::uint32_t sampleRate = 0;  // samples per second
    std::uint32_t channels = 0;    // compared with nChannels
    bool present = true;           // false: the profile has the video stream alone
};

struct VideoProfileParams {
    std::uint32_t fourcc = 0;
    std::uint32_t bitrate = 0;  // bits per second
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    std::uint32_t framesPerSecond = 0;  // 0 is taken as 1
    std::uint32_t quality = 0;          // 0 to 100
    std::uint32_t secondsBetweenKeyFrames = 0;
    // Time per frame in 100 ns units; when above 0 it wins over framesPerSecond, so
    // that 29.97 is not cut to 29.
    std::int64_t avgTimePerFrame = 0;
};

class WmProfileBuilder {
public:
    // A custom profile with one audio stream (number 1) and one video stream (number 2);
    // without audio, the video stream alone (number 1).
    // On failure `profile` is empty and the code of the failing step is returned.
    static HRESULT GenerateProfile(const AudioProfileParams& audio, const VideoProfileParams& video,
                                   std::uint32_t version,
                                   std::shared_ptr<wmf::WMProfile>& profile);
    // Loads a profile from its text; E_POINTER without a place for it.
    static HRESULT MapProfile(const std::string& text, std::shared_ptr<wmf::WMProfile>* profile);

    // Steps of GenerateProfile.
    static HRESULT AddAudioStream(wmf::WMProfile& profile,
                                  const std::shared_ptr<wmf::WMProfileManager>& manager,
                                  const AudioProfileParams& audio);
    static HRESULT AddVideoStream(wmf::WMProfile& profile,
                                  const std::shared_ptr<wmf::WMProfileManager>& manager,
                                  wmf::WORD streamNumber, const VideoProfileParams& video);
    static HRESULT SetStreamBasics(const std::shared_ptr<wmf::WMStreamConfig>& config,
                                   wmf::WORD streamNumber, const std::string& streamName,
                                   const std::string& connectionName, wmf::DWORD bitrate,
                                   const wmf::WM_MEDIA_TYPE& mediaType);
};

}  // namespace engine
