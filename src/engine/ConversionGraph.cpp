#include "engine/ConversionGraph.h"

#include "engine/OutputSettings.h"
#include "engine/RunProgress.h"
#include "platform/media/Media.h"
#include "platform/ui/MessageBox.h"

namespace engine {

ConversionGraph& ConversionGraph::Instance() {
    static ConversionGraph graph;
    return graph;
}

void ConversionGraph::Attach(ui::Dialog* window, OutputSettings* settings, std::string* errorText) {
    window_ = window;
    settings_ = settings;
    errorText_ = errorText;
}

void ConversionGraph::ReleaseMediaEvent() { mediaEvent.reset(); }
void ConversionGraph::ReleaseMediaControl() { mediaControl.reset(); }
void ConversionGraph::ReleaseGraph() { graphManager.reset(); }

void ConversionGraph::ReleaseCompressorSlots() {
    videoCompressor.reset();
    audioCompressor.reset();
}

int ConversionGraph::FindPreferredCompressor(CompressorCategory category,
                                             std::string_view fragment) {
    int index = -1;
    return engine::FindPreferredCompressor(category, fragment, index) ? index : -1;
}

void ConversionGraph::GetCompressor(int index) {
    videoCompressor.reset();
    if (index == kKeepStream)
        media::CreateStreamCopy(true, videoCompressor);
    else
        engine::GetCompressor(index, &videoCompressor);
}

void ConversionGraph::GetAudioCompressor(int index) {
    audioCompressor.reset();
    if (index == kKeepStream)
        media::CreateStreamCopy(false, audioCompressor);
    else
        engine::GetAudioCompressor(index, &audioCompressor);
}

bool ConversionGraph::SourceStreamKept(CompressorCategory category, int format) const {
    if (!graphManager || !IsValidFormat(format)) return false;
    const char* muxer = OutputFormatTable[static_cast<std::size_t>(format)].muxer;
    return muxer &&
           media::GraphKeepsStream(*graphManager, category == CompressorCategory::Video, muxer);
}

void ConversionGraph::ShowGraphErrorText(HRESULT hr) {
    char buffer[160];
    media::AMGetErrorTextA(hr, buffer, sizeof buffer);
    const std::string text = WithReason(buffer, RunFailureReason());
    (errorText_ ? *errorText_ : ownErrorText_) = text;
    ui::AppMessageBox(text);
}

std::string ConversionGraph::RunFailureReason() const {
    return mediaEvent ? mediaEvent->FailureReason() : std::string();
}

std::shared_ptr<media::FileSinkFilter2> ConversionGraph::OutputSink() const {
    std::shared_ptr<media::EnumFilters> filters;
    if (!graphManager || FAILED(graphManager->EnumFilters(filters))) return nullptr;
    std::shared_ptr<media::Filter> filter;
    while (filters->Next(filter) == S_OK)
        if (auto sink = media::QueryFileSinkFilter2(filter)) return sink;
    return nullptr;
}

void ConversionGraph::KeepOlderOutput() {
    if (auto sink = OutputSink()) sink->SetMode(0);
}

std::string ConversionGraph::KeptAside() const {
    const auto sink = OutputSink();
    return sink ? sink->KeptAside() : std::string();
}

std::string ConversionGraph::lastErrorText() const {
    return errorText_ ? *errorText_ : ownErrorText_;
}

}  // namespace engine
