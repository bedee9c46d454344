#pragma once
// The capture graph builder: creates a writer (multiplexer + file sink) for an output
// file and routes decoded streams into it, through a compressor when one is given.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/media/Filter.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/Guid.h"

namespace media {

inline constexpr long INTERLEAVE_NONE = 0;
inline constexpr long INTERLEAVE_CAPTURE = 1;
inline constexpr long INTERLEAVE_FULL = 2;
inline constexpr long INTERLEAVE_NONE_BUFFERED = 3;

// A file at the output may be replaced. Without it the run's file never replaces
// one: if a file appeared there meanwhile, it is left alone and the run's file is
// kept beside it (see KeptAside). Read when the run ends, so clearing it before
// Stop keeps an older output from being replaced by a stopped run's part.
inline constexpr unsigned long AM_FILE_OVERWRITE = 1;

// IConfigInterleaving of a multiplexer.
class ConfigInterleaving {
public:
    virtual ~ConfigInterleaving() = default;
    virtual HRESULT put_Mode(long mode) = 0;
    virtual HRESULT get_Mode(long& mode) = 0;
};

// A multiplexer asked for a file of a given size: the run encodes the picture
// twice (once to measure, once to write) at the average rate that fills it; and
// for pictures no larger than a given size.
class ConfigSizeTarget {
public:
    virtual ~ConfigSizeTarget() = default;
    // Bytes; 0 writes at the compressors' own rates.
    virtual HRESULT put_TargetSize(std::int64_t bytes) = 0;
    // After a Run refused with QV_E_SIZE_UNREACHABLE: the smallest size that could
    // be met, in bytes.
    virtual HRESULT get_SmallestSize(std::int64_t& bytes) = 0;
    // Pictures whose longer side is larger are scaled down to it, for the streams
    // routed after this is set; 0 keeps the source's size.
    virtual HRESULT put_LongerSideAtMost(long pixels) = 0;
};

// Which of the source's streams beyond the first picture and sound a multiplexer
// writes, and the name it writes as the file's encoder. Set before the run.
enum class AudioTracks { All, DefaultOnly };
class ConfigStreams {
public:
    virtual ~ConfigStreams() = default;
    virtual HRESULT put_AudioTracks(AudioTracks which) = 0;
    virtual HRESULT put_WritingApplication(const std::string& name) = 0;
};

// IFileSinkFilter2 of a file writer.
class FileSinkFilter2 {
public:
    virtual ~FileSinkFilter2() = default;
    virtual HRESULT SetMode(unsigned long flags) = 0;
    virtual HRESULT GetMode(unsigned long& flags) = 0;
    virtual HRESULT GetCurFile(std::string& path) = 0;
    // Where the last run's file was kept when it could not take the output's place:
    // "NAME (2).EXT" (the next free number), or "NAME.partial.EXT" for a stopped run.
    // Empty when it took the output's place (or no run has ended).
    virtual std::string KeptAside() = 0;
};

// The optional interfaces of a filter; empty when the filter does not offer them.
std::shared_ptr<ConfigInterleaving> QueryConfigInterleaving(const std::shared_ptr<Filter>& filter);
std::shared_ptr<FileSinkFilter2> QueryFileSinkFilter2(const std::shared_ptr<Filter>& filter);
std::shared_ptr<ConfigSizeTarget> QueryConfigSizeTarget(const std::shared_ptr<Filter>& filter);
std::shared_ptr<ConfigStreams> QueryConfigStreams(const std::shared_ptr<Filter>& filter);

class CaptureGraphBuilder {
public:
    virtual ~CaptureGraphBuilder() = default;
    virtual HRESULT SetFiltergraph(const std::shared_ptr<FilterGraph>& graph) = 0;
    // Writer types: MEDIASUBTYPE_Avi, CLSID_MatroskaMux, CLSID_AsfMux, CLSID_WebmMux,
    // CLSID_Mp4Mux and
    // CLSID_WMAsfWriter (configured through QueryConfigAsfWriter before streams are
    // routed into it). Adds the multiplexer and a file writer to the graph, connected,
    // and returns both. REGDB_E_CLASSNOTREG when this FFmpeg build has no such
    // multiplexer.
    virtual HRESULT SetOutputFileName(const Guid& writerType, const std::string& path,
                                      std::shared_ptr<Filter>& multiplexer,
                                      std::shared_ptr<Filter>& sink) = 0;
    // Connects a decoder's output pin into the multiplexer, through `compressor` when
    // given (it must be in the graph), inserting format converters as needed. Without
    // a compressor the stream goes in uncompressed. Fails with VFW_E_TYPE_NOT_ACCEPTED
    // when the container cannot carry the resulting stream. The Windows Media writer
    // takes no compressor and needs its profile first (NS_E_NOT_CONFIGURED).
    virtual HRESULT RenderStream(const Guid* category, const Guid* type,
                                 const std::shared_ptr<Pin>& source,
                                 const std::shared_ptr<Filter>& compressor,
                                 const std::shared_ptr<Filter>& multiplexer) = 0;
};

// The filter chain (libavfilter's syntax) of a converter that RenderStream put
// between a decoder and the compressor or writer, for the decoder's parameters;
// "" for any other filter. For the benchmark, which hands it to the ffmpeg CLI.
std::string FilterChainOf(const std::shared_ptr<Filter>& filter);

// CoCreateInstance(CLSID_CaptureGraphBuilder2).
HRESULT CreateCaptureGraphBuilder(std::shared_ptr<CaptureGraphBuilder>& out);

}  // namespace media
