#pragma once
// The file name patterns of the video files this platform can open, for the
// open-file chooser's filter.
#include <string>
#include <vector>

namespace media {

// "*.avi", "*.mp4"... in a fixed order: the common video extensions whose
// container this build of the demuxers reads.
std::vector<std::string> VideoFilePatterns();

}  // namespace media
