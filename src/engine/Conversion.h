#pragma once
// One conversion: the filter graph of one source, its media control and media
// event, the two compressor slots, and the procedures on them. It speaks
// through a reporter and shows nothing itself.
//
// Threads: a conversion is made, driven and destroyed on one thread (the
// window's, or the command line's main thread); only its graph streams on
// threads of its own, which reach it through the event notifier alone.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/CompressorCatalog.h"
#include "engine/Job.h"
#include "engine/Reporter.h"
#include "engine/RunProgress.h"
#include "engine/SourceInfo.h"
#include "platform/Result.h"

namespace media {
class FileSinkFilter2;
class Filter;
class FilterGraph;
class MediaControl;
class MediaEventEx;
class Pin;
}  // namespace media

namespace engine {

struct OutputSettings;

class Conversion {
public:
    // A conversion of `job` (the queue's and the command line's).
    Conversion(const Job& job, Reporter& reporter);
    virtual ~Conversion();
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    std::shared_ptr<media::FilterGraph> graphManager;
    std::shared_ptr<media::MediaControl> mediaControl;
    std::shared_ptr<media::MediaEventEx> mediaEvent;
    std::shared_ptr<media::Filter> videoCompressor;
    std::shared_ptr<media::Filter> audioCompressor;

    bool hasGraph() const { return graphManager != nullptr; }
    bool hasMediaControl() const { return mediaControl != nullptr; }
    bool hasMediaEvent() const { return mediaEvent != nullptr; }
    void ReleaseMediaEvent();
    void ReleaseMediaControl();
    void ReleaseGraph();
    void ReleaseCompressorSlots();

    // Source probing: 1 on success, 0 after its message.
    int ProbeSource(const std::string& path, std::int64_t& duration, SourceInfo& info,
                    OutputSettings& settings);
    // Holds the new graph and its media control and returns 1 when both are had.
    // As a result code 1 is S_FALSE, a success that is not S_OK: callers test
    // with SUCCEEDED. Negative on failure, after the message when the file
    // cannot be opened.
    HRESULT OpenSourceGraph(const std::string& path);

    HRESULT EnsureCompressors();
    HRESULT BuildConversionGraph(const std::shared_ptr<media::FilterGraph>& graph);
    HRESULT TearDownConversionGraph(const std::shared_ptr<media::FilterGraph>& graph,
                                    const std::string& sourcePath);

    // Internal steps, public for their tests.
    HRESULT FindRenderer(const std::shared_ptr<media::FilterGraph>& graph, bool video,
                         std::shared_ptr<media::Filter>& renderer);
    void RemoveDownstream(const std::shared_ptr<media::Filter>& filter);

    // Whether the next run may replace a file at the output (the person agreed, or
    // the command line said --overwrite). Without it a file that appears there
    // during the run is left alone and the run's file is kept beside it.
    bool replaceOutput = false;
    // Before a Stop that must not cost an older output (a command line
    // interrupted): the stopped run's part is kept beside it instead.
    void KeepOlderOutput();
    // Where the ended run's file was kept beside the output ("NAME (2).EXT",
    // "NAME.partial.EXT"); "" when it took the output's place.
    std::string KeptAside() const;
    // Why a run asked for a file of a size was refused: the size and the smallest
    // that could work, in the person's language.
    std::string SizeRefusal() const;

    // The platform's text for a result, kept as the error text and reported as
    // an application message; the media library's reason for a failed run,
    // when it gave one, as a second line.
    void ShowGraphErrorText(HRESULT hr);
    // The reason the held media event gives for the last run's failure, or "".
    std::string RunFailureReason() const;
    std::string lastErrorText() const;

    Reporter& reporter() const { return *reporter_; }

    // ---- A job from its source to its end (the queue, the command line) ----
    const Job& job() const { return job_; }
    const SourceInfo& source() const { return source_; }
    // Probes and opens the source: S_OK, VFW_E_INVALID_FILE_FORMAT when the probe
    // found no media it can read, or the opening's code; after the reporter heard why.
    HRESULT Open();
    // Builds the conversion graph and runs it; `notify` is called, from any
    // thread, whenever the graph has an event. S_OK once streaming; otherwise
    // the failure's code: a build after the reporter heard why, a refused Run
    // for the caller to word (with RunFailureReason).
    HRESULT Start(std::function<void()> notify);
    // How far the run is: stream time written, 100 ns units.
    std::int64_t Written() const;
    // The run's end (completion or abort) once it came; nothing while it streams.
    std::optional<RunEnd> TakeEnd();
    // Stops a running conversion: the file keeps the part converted so far, beside
    // an older output when `keepOlder`.
    void Stop(bool keepOlder);
    // Stops, tears the graph down and lets go of everything; any state.
    void Close();

protected:
    // The window's conversion, whose settings, events and error text the window attaches.
    explicit Conversion(Reporter& reporter);

    // Puts a fresh instance of the run's compressor into a slot: a compressor that
    // has been in a graph is never reused.
    virtual void RenewCompressor(bool video);
    // Where the graph's events are announced.
    virtual std::function<void()> EventNotifier() const { return notify_; }

    OutputSettings* settings_ = nullptr;
    Reporter* reporter_;
    std::string* errorText_ = nullptr;

private:
    HRESULT DetachRenderer(const std::shared_ptr<media::FilterGraph>& graph, bool video,
                           std::shared_ptr<media::Pin>& sourcePin);
    HRESULT AcquireMediaControl(const std::shared_ptr<media::FilterGraph>& graph);
    std::shared_ptr<media::FileSinkFilter2> OutputSink() const;
    void WindowBox(const std::string& text);
    std::optional<RunEnd> ReadEnd();

    Job job_;
    std::unique_ptr<OutputSettings> jobSettings_;
    SourceInfo source_;
    std::function<void()> notify_;
    std::string ownErrorText_;
};

// The failure code of a build step that has no platform code to pass on.
inline constexpr HRESULT E_NO_RENDERER_PIN = E_FAIL;

}  // namespace engine
