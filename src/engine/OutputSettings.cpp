#include "engine/OutputSettings.h"

namespace engine {

int FamilyFormat(int format) { return IsValidFormat(format) ? FormatRow(format).family : kAvi; }

bool SharesCompressors(int format) { return FamilyFormat(format) == kAvi; }

int& VideoCompressorSlot(OutputSettings& s, int format) {
    switch (FamilyFormat(format)) {
        case kWebm:
            return s.webmVideoCompressorIndex;
        case kMp4:
            return s.mp4VideoCompressorIndex;
        default:
            return s.videoCompressorIndex;
    }
}

int& AudioCompressorSlot(OutputSettings& s, int format) {
    switch (FamilyFormat(format)) {
        case kWebm:
            return s.webmAudioCompressorIndex;
        case kMp4:
            return s.mp4AudioCompressorIndex;
        default:
            return s.audioCompressorIndex;
    }
}

bool AsksForSize(const OutputSettings& s) {
    OutputSettings settings = s;
    return s.targetSizeMB > 0 && IsValidFormat(s.format) && FormatRow(s.format).sizeTarget &&
           s.useVideoCompressor && VideoCompressorSlot(settings, s.format) != kKeepStream;
}

}  // namespace engine
