#pragma once
// Where the layer's objects come from: the stand-in for the platform's object runtime
// (CoInitialize, CoCreateInstance and the interface queries). The program uses the
// layer's own; a test installs a subclass whose objects wrap the layer's, to make any
// step fail with a code of its choosing. Each default below is the layer's own.
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/media/CaptureGraphBuilder.h"
#include "platform/media/ConfigAsfWriter.h"
#include "platform/media/DeviceEnum.h"
#include "platform/media/Filter.h"
#include "platform/media/FilterGraph.h"

namespace media {

class Runtime {
public:
    virtual ~Runtime() = default;

    virtual HRESULT Initialize();
    virtual HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out);
    virtual HRESULT CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out);
    virtual HRESULT CreateSystemDeviceEnum(std::shared_ptr<CreateDevEnum>& out);
    virtual std::shared_ptr<ConfigAsfWriter> QueryConfigAsfWriter(
        const std::shared_ptr<Filter>& filter);

    // Filters and pins are known by identity throughout the layer, so nothing can
    // stand in for them; their calls come here instead.
    virtual HRESULT EnumPins(const Filter& filter, std::shared_ptr<media::EnumPins>& out);
    virtual HRESULT ConnectionMediaType(const Pin& pin, MediaType& out);

    // Whether FFmpeg's multiplexer of this name ("matroska") is offered as a writer.
    virtual bool OffersMuxer(const std::string& ffmpegName);
    // Asked before each packet is written: a failure ends the run with that code, as a
    // full disk would. Called on a streaming thread.
    virtual HRESULT BeforeWrite();
};

// From now on every object comes from `runtime`; an empty pointer puts the layer's
// own back. Objects made earlier stay what they were made as.
void InstallRuntime(std::shared_ptr<Runtime> runtime);
std::shared_ptr<Runtime> CurrentRuntime();

}  // namespace media
