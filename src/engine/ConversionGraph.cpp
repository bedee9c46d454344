#include "engine/ConversionGraph.h"

#include "engine/OutputSettings.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/Media.h"
#include "platform/ui/Dialog.h"

namespace engine {

ConversionGraph::ConversionGraph() : Conversion(StandardErrorReporter()) {}

ConversionGraph& ConversionGraph::Instance() {
    static ConversionGraph graph;
    return graph;
}

void ConversionGraph::Attach(ui::Dialog* window, OutputSettings* settings, std::string* errorText) {
    window_ = window;
    settings_ = settings;
    errorText_ = errorText;
}

void ConversionGraph::SetReporter(Reporter* reporter) {
    reporter_ = reporter ? reporter : &StandardErrorReporter();
}

int ConversionGraph::FindPreferredCompressor(CompressorCategory category,
                                             std::string_view fragment) {
    int index = -1;
    return engine::FindPreferredCompressor(category, fragment, index, reporter()) ? index : -1;
}

void ConversionGraph::GetCompressor(int index) {
    videoCompressor.reset();
    if (index == kKeepStream)
        media::CreateStreamCopy(true, videoCompressor);
    else
        engine::GetCompressor(index, &videoCompressor, reporter());
}

void ConversionGraph::GetAudioCompressor(int index) {
    audioCompressor.reset();
    if (index == kKeepStream)
        media::CreateStreamCopy(false, audioCompressor);
    else
        engine::GetAudioCompressor(index, &audioCompressor, reporter());
}

bool ConversionGraph::SourceStreamKept(CompressorCategory category, int format) const {
    if (!graphManager || !IsValidFormat(format)) return false;
    const char* muxer = OutputFormatTable[static_cast<std::size_t>(format)].muxer;
    return muxer &&
           media::GraphKeepsStream(*graphManager, category == CompressorCategory::Video, muxer);
}

int ConversionGraph::SlotIndex(bool video) const {
    if (!settings_) return -1;
    return video ? VideoCompressorSlot(*settings_, settings_->format)
                 : AudioCompressorSlot(*settings_, settings_->format);
}

void ConversionGraph::RenewCompressor(bool video) {
    if (video)
        GetCompressor(SlotIndex(true));
    else
        GetAudioCompressor(SlotIndex(false));
}

std::function<void()> ConversionGraph::EventNotifier() const {
    return window_ ? window_->Poster(media::GraphEventMessageNumber) : std::function<void()>();
}

}  // namespace engine
