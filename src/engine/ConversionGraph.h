#pragma once
// The process-wide owner of the current filter graph and of the two
// compressor slots.
#include <string_view>

namespace engine {

enum class CompressorCategory { Video, Audio };

class ConversionGraph {
public:
    static ConversionGraph& Instance();

    // Compressor catalogue. Without a media engine the catalogue is empty:
    // no compressor is found and slots stay empty.
    int FindPreferredCompressor(CompressorCategory category, std::string_view fragment);
    void GetCompressor(int index);       // fills the video slot
    void GetAudioCompressor(int index);  // fills the audio slot
    bool hasVideoCompressor() const { return videoSlotIndex_ >= 0; }
    bool hasAudioCompressor() const { return audioSlotIndex_ >= 0; }
    int videoSlotIndex() const { return videoSlotIndex_; }
    int audioSlotIndex() const { return audioSlotIndex_; }

    // Graph entries.
    bool hasGraph() const { return hasGraph_; }
    bool hasMediaControl() const { return hasMediaControl_; }
    bool hasMediaEvent() const { return hasMediaEvent_; }
    void ReleaseMediaEvent() { hasMediaEvent_ = false; }
    void ReleaseMediaControl() { hasMediaControl_ = false; }
    void ReleaseGraph() { hasGraph_ = false; }
    void ReleaseCompressorSlots();

private:
    int videoSlotIndex_ = -1;
    int audioSlotIndex_ = -1;
    bool hasGraph_ = false;
    bool hasMediaControl_ = false;
    bool hasMediaEvent_ = false;
};

}  // namespace engine
