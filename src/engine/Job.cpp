#include "engine/Job.h"

#include "engine/CompressorCatalog.h"

namespace engine {
Job MakeJob(const OutputSettings& s, const std::string& source, const std::string& output) {
    Job job;
    job.source = source;
    job.output = output;
    job.format = s.format;
    ChosenCompressors(s, job.video, job.audio);
    job.width = s.outputWidth;
    job.height = s.outputHeight;
    job.videoBitrate = s.videoBitrate;
    job.audioBitrate = s.audioBitrate;
    job.frameRate = s.frameRate;
    job.fileProfile = s.fileProfile;
    job.allAudioTracks = s.allAudioTracks;
    job.cutStart = s.cutStart;
    job.cutStop = s.cutStop;
    job.preset = s.preset;
    job.targetSizeMB = s.targetSizeMB;
    job.longerSideAtMost = s.longerSideAtMost;
    return job;
}

OutputSettings SettingsOf(const Job& job) {
    OutputSettings s;
    s.outputPath = job.output;
    s.format = job.format;
    s.outputWidth = job.width;
    s.outputHeight = job.height;
    s.useVideoCompressor = !job.video.name.empty() || job.video.keep;
    s.useAudioCompressor = !job.audio.name.empty() || job.audio.keep;
    s.videoCompressorIndex = s.audioCompressorIndex = -1;
    s.webmVideoCompressorIndex = s.webmAudioCompressorIndex = -1;
    s.mp4VideoCompressorIndex = s.mp4AudioCompressorIndex = -1;
    // Kept streams are marked in their slots, as a keep chosen in the Options is.
    if (job.video.keep) VideoCompressorSlot(s, s.format) = kKeepStream;
    if (job.audio.keep) AudioCompressorSlot(s, s.format) = kKeepStream;
    s.videoBitrate = job.videoBitrate;
    s.audioBitrate = job.audioBitrate;
    s.frameRate = job.frameRate;
    s.fileProfile = job.fileProfile;
    s.allAudioTracks = job.allAudioTracks;
    s.cutStart = job.cutStart;
    s.cutStop = job.cutStop;
    s.preset = job.preset;
    s.targetSizeMB = job.targetSizeMB;
    s.longerSideAtMost = job.longerSideAtMost;
    return s;
}

}  // namespace engine
