#pragma once
// The process-wide owner of the current filter graph, its media control and
// media event, and the two compressor slots; and the procedures on them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/CompressorCatalog.h"
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

namespace ui {
class Dialog;
}

namespace engine {

struct OutputSettings;

class ConversionGraph {
public:
    static ConversionGraph& Instance();

    // The main window: owner of window boxes and target of graph notifications,
    // with its live settings and its error text buffer.
    void Attach(ui::Dialog* window, OutputSettings* settings, std::string* errorText);

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

    // Catalogue access for the settings: the preferred entry's index or -1, and
    // filling a slot with a fresh instance (releasing what it held).
    int FindPreferredCompressor(CompressorCategory category, std::string_view fragment);
    // kKeepStream fills a slot with "keep the original stream".
    void GetCompressor(int index);
    void GetAudioCompressor(int index);
    // Whether the format can hold the open source's stream of the category as it
    // is, so that keeping it can be offered. WMV never: its writer encodes.
    bool SourceStreamKept(CompressorCategory category, int format) const;

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

    // The platform's text for a result, kept in the window's errorText and shown;
    // the media library's reason for a failed run, when it gave one, as a second line.
    void ShowGraphErrorText(HRESULT hr);
    // The reason the held media event gives for the last run's failure, or "".
    std::string RunFailureReason() const;
    std::string lastErrorText() const;

    ui::Dialog* window() const { return window_; }
    OutputSettings* settings() const { return settings_; }

private:
    HRESULT DetachRenderer(const std::shared_ptr<media::FilterGraph>& graph, bool video,
                           std::shared_ptr<media::Pin>& sourcePin);
    HRESULT AcquireMediaControl(const std::shared_ptr<media::FilterGraph>& graph);
    std::shared_ptr<media::FileSinkFilter2> OutputSink() const;
    // The catalogue index for a slot under the current format's family.
    int SlotIndex(bool video) const;
    ui::Dialog* window_ = nullptr;
    OutputSettings* settings_ = nullptr;
    std::string* errorText_ = nullptr;
    std::string ownErrorText_;
};

// The failure code of a build step that has no platform code to pass on.
inline constexpr HRESULT E_NO_RENDERER_PIN = E_FAIL;

}  // namespace engine
