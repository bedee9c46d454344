#pragma once
// A file of a chosen size. The picture is encoded twice through libavcodec: a
// first pass that only measures (nothing is written) and a second at the average
// rate that fills the size, each encoder keeping what the first pass learnt in
// its own way: x264 and x265 in stats files, libvpx and libaom in memory.
#include <cstdint>
#include <string>

#include "platform/media/Internal.h"

namespace media::detail {

struct PassSetup {
    int pass = 0;              // 0: one pass; 1: the measuring pass; 2: the writing pass
    std::int64_t bitRate = 0;  // the picture's average, bits per second; 0: the encoder's own
    std::string statsFolder;   // x264's and x265's stats files
    std::string stats;         // libvpx's and libaom's, handed from the first pass to the second
};

// Whether libavcodec can run the encoder in two passes.
bool HasTwoPasses(const AVCodec& encoder);
// Sets the pass, the rate and the stats of an encoder about to be opened; its
// other options are set already (x265 takes the pass among its own parameters).
void SetUpPass(AVCodecContext& enc, PassSetup& pass);

// What the size of a file is made of, announced by the encoders or measured.
struct SizeBudget {
    double seconds = 0;
    std::int64_t soundBytes = 0;
    std::int64_t packets = 0;  // every stream's: the container spends a little on each
    double pixelsPerSecond = 0;
};
// The picture's average rate that leaves the whole file at `target` bytes, or 0
// when nothing is left for it.
std::int64_t PictureBitRate(std::int64_t target, const SizeBudget& budget);
// The smallest file that could be asked for: the sound, the container's share
// and the least picture worth looking at.
std::int64_t SmallestSize(const SizeBudget& budget);

// A private folder under the system's temporary one, removed with its files;
// making one removes those of runs that were killed (see LockedFiles.h).
class StatsFolder {
public:
    StatsFolder();
    ~StatsFolder();
    StatsFolder(const StatsFolder&) = delete;
    StatsFolder& operator=(const StatsFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int lock_ = -1;
};

}  // namespace media::detail
