#pragma once
// A job: what one conversion is to do, captured as plain data when it is made,
// so that later changes to the Options never reach a job already queued.
#include <cstdint>
#include <string>

#include "engine/CompressorChoice.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"

namespace engine {

struct Job {
    std::string source;
    std::string output;
    int format = kAvi;
    CompressorChoice video;  // unused for WMV: its writer compresses by itself
    CompressorChoice audio;
    int width = 0;  // the Options' frame size; 0 by 0 keeps each source's own
    int height = 0;
    int videoBitrate = 798720;  // WMV, bits per second
    int audioBitrate = 128000;
    double frameRate = kFrameRate;
    int fileProfile = 0;
    bool allAudioTracks = true;   // every sound track, or the source's default one only
    bool replaceAllowed = false;  // an existing output may be replaced
    std::int64_t cutStart = 0;    // the part to convert, 100 ns; cutStop 0: to the end
    std::int64_t cutStop = 0;
    // The preset the Options came from (empty: none), the file's size asked for
    // (MB; 0: none) and the picture's largest side (0: the source's).
    std::string preset;
    int targetSizeMB = 0;
    int longerSideAtMost = 0;
    bool operator==(const Job&) const = default;
};

// A job for `source` into `output` from the settings as they are now: the
// chosen compressors by name (none where the use switch is off, or for WMV)
// with their stored changes copied, or kept streams, the size, bitrates, frame
// rate and the part to convert.
Job MakeJob(const OutputSettings& settings, const std::string& source, const std::string& output);

// The settings record the conversion procedures read for a job; its compressor
// indices are unused (the slots are filled by name).
OutputSettings SettingsOf(const Job& job);

}  // namespace engine
