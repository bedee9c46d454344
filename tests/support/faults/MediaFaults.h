#pragma once
// Fault injection for the media layer. Linking this installs a runtime whose objects
// wrap the layer's own: each wrapped call fails with the code forced for it, and
// otherwise goes through untouched.
#include <string>

#include "platform/Result.h"

namespace media::testing {

enum class Operation {
    Initialize,
    CreateFilterGraph,
    CreateCaptureGraphBuilder,
    CreateSystemDeviceEnum,
    CreateClassEnumerator,
    EmptyCategory,  // the class enumerator reports S_FALSE with no enumerator
    BindToObject,
    BindToStorage,
    EnumFilters,
    EnumPins,
    ConnectionMediaType,
    RemoveFilter,
    QueryMediaControl,
    QueryMediaEventEx,
    QueryMediaSeeking,
    QueryBasicVideo,
    GetStopPosition,
    GetVideoSize,
    GetAvgTimePerFrame,
    SetFiltergraph,
    SetNotifyWindow,
    Run,
    Streaming,             // the running graph aborts with the code (EC_ERRORABORT)
    QueryConfigAsfWriter,  // the writer offers no IConfigAsfWriter (the code is not used)
    Count
};

// From now on `op` fails with `hr` (until cleared).
void ForceFailure(Operation op, HRESULT hr = E_FAIL);
void ClearFailure(Operation op);
// Clears every forced failure, hidden multiplexer and unreadable name, and puts the
// fault-injecting runtime back if a test installed another.
void ResetAll();

// Multiplexers by FFmpeg name ("matroska,webm") are no longer offered.
void HideMuxers(const std::string& commaSeparated);
// The friendly name of this encoder ("adpcm_ms") cannot be read.
void SetUnreadableDeviceName(const std::string& encoderName);
// As when FFmpeg gains an encoder that sorts first: a device of that name stands
// before every other of both categories, so every catalogue index moves by one.
void AddLeadingEncoder(const std::string& friendlyName);

class ScopedFailure {
public:
    explicit ScopedFailure(Operation op, HRESULT hr = E_FAIL) : op_(op) { ForceFailure(op, hr); }
    ~ScopedFailure() { ClearFailure(op_); }
    ScopedFailure(const ScopedFailure&) = delete;
    ScopedFailure& operator=(const ScopedFailure&) = delete;

private:
    Operation op_;
};

}  // namespace media::testing
