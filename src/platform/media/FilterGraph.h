#pragma once
// The filter graph manager and the views the engine obtains from it (media control,
// media events, seeking, basic video). Created by CreateFilterGraph, the layer's
// CoCreateInstance(CLSID_FilterGraph).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/media/Filter.h"

namespace media {

using LONG_PTR = std::intptr_t;

// Event codes queued by a running graph.
inline constexpr long EC_COMPLETE = 1;  // every stream ended, trailer written, file closed
inline constexpr long EC_USERABORT = 2;
inline constexpr long EC_ERRORABORT = 3;  // param1 carries the failure's result code

// The posted window message the ui layer turns notifications into.
inline constexpr unsigned GraphEventMessageNumber = 0x40D;

class MediaControl {
public:
    virtual ~MediaControl() = default;
    // Starts streaming on the graph's own threads and returns at once. Fails when the
    // graph cannot stream (nothing connected to a writer, encoder or file refused).
    virtual HRESULT Run() = 0;
    // Halts streaming; when this returns, a file being written is finalised and closed.
    virtual HRESULT Stop() = 0;
};

// Something a run went on without or worked around, for its completion line. A
// kind is noted once per run; `count` adds up (damaged frames, streams left out,
// what the container cannot carry) or carries the one number the note needs (the
// rate sound was resampled to). A track left out is noted once per track.
enum class RunNoteKind {
    TurnIgnored,         // the rotation is not a quarter turn or mirror: left as stored
    TurnDamaged,         // the rotation data is damaged or contradictory: left as stored
    HdrMetadataMissing,  // kept HDR without complete mastering data: written without it
    NotDeinterlaced,     // the deinterlacer refused: pictures kept as they are
    NotToneMapped,       // the tone mapping refused: HDR colours as stored
    DamagedFrames,       // count: source frames the decoder could not read
    StreamsLeftOut,      // count: streams that began midway and were not converted
    SampleRateChanged,   // count: the rate (Hz) sound was resampled to
    OverSizeTarget,      // count: the size (kB) a file asked of a size came to, over it
    SizeTargetNotKept,   // a size was asked of a format or a kept picture that takes none
    KeepNotHeld,         // a stream to keep that the container cannot hold: converted
    KeepWithoutTimes,    // a stream to keep whose source states no times: converted
    KeptFromKeyFrame,    // count: where the kept streams really start, 100 ns
    ReadThrough,         // the source cannot seek: read from its beginning to the start
    // What the chosen container cannot carry (count: how many), said together in one
    // sentence that names the container.
    NotKeptAudio,
    NotKeptVideo,
    NotKeptSubtitles,
    NotKeptAttachments,
    NotKeptChapters,
    // A track that could not be read or converted (no decoder, damaged, empty), one
    // note per track; count: its number among the source's tracks of its kind.
    AudioTrackLeftOut,
    SubtitleTrackLeftOut,
    TracksOverLimit,  // count: tracks past the most a run converts of their kind
};
struct RunNote {
    RunNoteKind kind;
    std::int64_t count = 0;
};

class MediaEventEx {
public:
    virtual ~MediaEventEx() = default;
    // Takes the oldest queued event, waiting up to timeoutMs (0 = no wait, negative =
    // forever). E_ABORT when nothing arrived in time.
    virtual HRESULT GetEvent(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs) = 0;
    virtual HRESULT FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) = 0;
    // `notify` is called, from whichever thread queues an event, once per queued event
    // (and once at once if events are already waiting). An empty function cancels.
    // When this returns, no call to the previous function is still running. The
    // function must not call back into this graph's Stop.
    virtual HRESULT SetNotifyWindow(std::function<void()> notify) = 0;
    // Waits until the run ends (completion or abort) without taking events from the
    // queue. E_ABORT on time-out.
    virtual HRESULT WaitForCompletion(long timeoutMs, long& code) = 0;
    // FFmpeg's own words on why the last Run failed to start or aborted (an
    // encoder that would not open, a write the system refused); "" when it said
    // nothing or nothing failed. For the second line of the step's message.
    virtual std::string FailureReason() = 0;
    // What the last run went on without or worked around, in the order noticed.
    virtual std::vector<RunNote> RunNotes() = 0;
};

class MediaSeeking {
public:
    virtual ~MediaSeeking() = default;
    // The source's duration, in 100 ns units.
    virtual HRESULT GetStopPosition(std::int64_t& stop) = 0;
    // How far the conversion has come (stream time written), in 100 ns units.
    virtual HRESULT GetCurrentPosition(std::int64_t& current) = 0;
    // The part the next run converts, 100 ns from the source's start; a stop of 0
    // is the source's end. The run seeks to `start`: converted streams begin
    // exactly there, kept ones at the key frame at or before it.
    virtual HRESULT SetPositions(std::int64_t start, std::int64_t stop) {
        (void)start;
        (void)stop;
        return E_NOTIMPL;
    }
};

class BasicVideo {
public:
    virtual ~BasicVideo() = default;
    // The native frame size; fails when the graph renders no video.
    virtual HRESULT GetVideoSize(long& width, long& height) = 0;
    // Seconds per frame (29.97 fps gives 1001/30000).
    virtual HRESULT get_AvgTimePerFrame(double& seconds) = 0;
};

class FilterGraph {
public:
    virtual ~FilterGraph() = default;

    // Opens the file, picks the best video and audio streams and their decoders, and
    // adds: a source filter named after the full path, a decoder per stream, a
    // "Video Renderer" and a "Default DirectSound Device". VFW_S_PARTIAL_RENDER when a
    // stream was left out for want of a decoder.
    virtual HRESULT RenderFile(const std::string& path) = 0;
    // Adds a filter under `name` (an empty name keeps the filter's own). A name
    // already taken gets " 0001", " 0002"... appended, as DirectShow does.
    virtual HRESULT AddFilter(const std::shared_ptr<Filter>& filter, const std::string& name) = 0;
    // Disconnects every pin of the filter (both sides) and takes it out of the graph.
    virtual HRESULT RemoveFilter(const std::shared_ptr<Filter>& filter) = 0;
    // Breaks this pin's side of its connection; the peer keeps its side until it is
    // disconnected too (call for both pins).
    virtual HRESULT Disconnect(const std::shared_ptr<Pin>& pin) = 0;
    // Filters in the order they were added; the same order on every walk.
    virtual HRESULT EnumFilters(std::shared_ptr<EnumFilters>& out) = 0;
    // The first filter whose name equals `name` exactly, or VFW_E_NOT_FOUND.
    virtual HRESULT FindFilterByName(const std::string& name, std::shared_ptr<Filter>& out) = 0;

    // The graph's views (QueryInterface). Each can fail; the view keeps the graph alive.
    virtual HRESULT QueryMediaControl(std::shared_ptr<MediaControl>& out) = 0;
    virtual HRESULT QueryMediaEventEx(std::shared_ptr<MediaEventEx>& out) = 0;
    virtual HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>& out) = 0;
    virtual HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>& out) = 0;

    // The layer's own graph this one stands for: itself, or the graph a wrapper wraps.
    virtual FilterGraph& Underlying() { return *this; }
};

// CoCreateInstance(CLSID_FilterGraph): a new, empty graph.
HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>& out);

// S_OK for a regular file; the code that says why anything else (a pipe, a
// device, a folder, nothing) cannot be a source. Never blocks.
HRESULT CheckSourceFile(const std::string& path);

// A run writes into a hidden ".NAME.part-XXXXXXXX" beside its output and holds it
// locked. This removes the part files of `outputPath` that no run holds (left by
// runs that were killed); every run does so for its own output. How many.
int RemoveStalePartFiles(const std::string& outputPath);

}  // namespace media
