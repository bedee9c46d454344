#include "engine/ConversionGraph.h"

namespace engine {

ConversionGraph& ConversionGraph::Instance() {
    static ConversionGraph graph;
    return graph;
}

int ConversionGraph::FindPreferredCompressor(CompressorCategory, std::string_view) { return -1; }

void ConversionGraph::GetCompressor(int) { videoSlotIndex_ = -1; }

void ConversionGraph::GetAudioCompressor(int) { audioSlotIndex_ = -1; }

void ConversionGraph::ReleaseCompressorSlots() {
    videoSlotIndex_ = -1;
    audioSlotIndex_ = -1;
}

}  // namespace engine
