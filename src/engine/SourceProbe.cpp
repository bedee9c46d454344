// Opening a source: a throw-away graph for its facts, then the graph kept for converting.
#include "engine/Conversion.h"
#include "engine/OutputSettings.h"
#include "i18n/LanguagePack.h"
#include "platform/media/Media.h"
#include "resources/Resources.h"

namespace engine {
namespace {

void ShowCannotOpen(Reporter& reporter) {
    reporter.Say(Reporter::Kind::Unowned, i18n::StringText(resources::IDS_MESSAGE_NOT_OPEN_FILE),
                 i18n::StringText(resources::IDS_MESSAGE_ERROR) + " IDS_MESSAGE_NOT_OPEN_FILE");
}

}  // namespace

int Conversion::ProbeSource(const std::string& path, std::int64_t& duration, SourceInfo& info,
                            OutputSettings& settings) {
    auto fail = [this](const char* text) {
        WindowBox(text);
        return 0;
    };
    std::shared_ptr<media::FilterGraph> graph;
    if (FAILED(media::CreateFilterGraph(graph))) return fail("Failed to CoCreateInstance");
    if (FAILED(graph->RenderFile(path))) {
        ShowCannotOpen(reporter());
        return 0;
    }
    {
        std::shared_ptr<media::MediaSeeking> seeking;
        if (FAILED(graph->QueryMediaSeeking(seeking)))
            return fail("Failed to get IID_IMediaSeeking");
        if (FAILED(seeking->GetStopPosition(duration))) return fail("Failed to GetStopPosition");
    }
    std::shared_ptr<media::BasicVideo> video;
    if (FAILED(graph->QueryBasicVideo(video))) return fail("Failed to IID_IBasicVideo");
    long width = 0, height = 0;
    if (FAILED(video->GetVideoSize(width, height)))
        return fail("Failed to GetVideoSize, please install appropriate video decoder");
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    settings.outputWidth = info.width;
    settings.outputHeight = info.height;
    double timePerFrame = 0;
    if (FAILED(video->get_AvgTimePerFrame(timePerFrame)))
        return fail("Failed to get_AvgTimePerFrame");
    info.frameRate = 10000000.0 / timePerFrame * 0.0000001;
    info.duration = duration;
    return 1;
}

HRESULT Conversion::AcquireMediaControl(const std::shared_ptr<media::FilterGraph>& graph) {
    const HRESULT hr = graph->QueryMediaControl(mediaControl);
    if (FAILED(hr)) {
        mediaControl.reset();
        reporter().Say(Reporter::Kind::Application, "Could not get pControl", {});
    }
    return hr;
}

HRESULT Conversion::OpenSourceGraph(const std::string& path) {
    std::shared_ptr<media::FilterGraph> graph;
    HRESULT hr = media::CreateFilterGraph(graph);
    if (FAILED(hr)) return hr;
    hr = graph->RenderFile(path);
    if (FAILED(hr)) {
        ShowCannotOpen(reporter());
        return hr;
    }
    hr = AcquireMediaControl(graph);
    if (FAILED(hr)) return hr;
    graphManager = graph;
    return 1;
}

}  // namespace engine
