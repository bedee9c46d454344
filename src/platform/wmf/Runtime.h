#pragma once
// Where the profile manager comes from: the stand-in for WMCreateProfileManager and the
// codecs it knows. The program uses the layer's own; a test installs a subclass that
// offers codecs of its own making or wraps the manager to make a step fail. Each
// default below is the layer's own.
#include <memory>
#include <vector>

#include "platform/wmf/Wmf.h"

namespace wmf {

class Runtime {
public:
    virtual ~Runtime() = default;

    // The codecs offered for `major` (audio or video): FFmpeg's Windows Media encoders.
    virtual std::vector<CodecEntry> Codecs(const GUID& major);
    // A new manager whose codec information holds Codecs as they are now.
    virtual HRESULT CreateProfileManager(std::shared_ptr<WMProfileManager>& manager);
};

// From now on managers come from `runtime`; an empty pointer puts the layer's own back.
void InstallRuntime(std::shared_ptr<Runtime> runtime);
std::shared_ptr<Runtime> CurrentRuntime();

}  // namespace wmf
