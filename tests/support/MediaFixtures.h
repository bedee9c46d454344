#pragma once
// Media clips for tests, generated with the ffmpeg CLI from lavfi sources on first
// use and kept in the build tree, plus an independent read-back with ffprobe.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fixtures {

// Where generated clips live (shared by the test processes of one build folder).
std::filesystem::path FixtureDir();
// True when the ffmpeg and ffprobe programs can be run.
bool HaveFfmpegTools();

struct ClipRecipe {
    int width = 718;
    int height = 404;
    std::string rate = "30000/1001";
    double seconds = 2.0;
    bool video = true;
    bool audio = true;
    // ffmpeg output options for the codecs and container, e.g. "-c:v libx264 -c:a aac".
    std::string codecs;
};

// Generates `fileName` from `recipe` unless it already exists; returns its path.
// Throws std::runtime_error when ffmpeg fails.
std::filesystem::path MakeClip(const std::string& fileName, const ClipRecipe& recipe);

// Generates `fileName` with `ffmpeg -nostdin -v error -y ARGS OUT` unless it
// already exists; returns its path. Throws std::runtime_error when ffmpeg fails.
std::filesystem::path MakeWith(const std::string& fileName, const std::string& args);

// A 320x180 H.264 clip whose display matrix turns it by `degrees` (90, 180...).
std::filesystem::path TurnedClip(int degrees);
// 720x576 MPEG-2 of 16:9 display shape (pixels 64:45).
std::filesystem::path AnamorphicMpeg2();
// A fragmented MP4 (160x120, 0.6 s) whose header gives every length as all ones.
std::filesystem::path UnknownLengthMp4();

// The standard clips: 718x404 at 29.97 fps, 2 s, 44.1 kHz stereo sine.
std::filesystem::path H264AacMp4();
std::filesystem::path Mpeg4Mp3Avi();
std::filesystem::path Vp8VorbisWebm();
std::filesystem::path AudioOnlyMp3();
std::filesystem::path VideoOnlyMkv();
// An MP4 whose index sits at the end, cut in the middle: nothing can read it.
std::filesystem::path TruncatedMp4();
// A 10 s MP4 whose index is intact but whose data stops at 40 %: it opens, then
// ends early.
std::filesystem::path EndsEarlyMp4();
// 64 KiB of fixed pseudo-random bytes with a video extension.
std::filesystem::path RandomBytes();
// A 10 s H.264/AAC clip, for runs that must still be going when stopped.
std::filesystem::path LongH264AacMp4();
// 8200x16 lossless video with sound: wider than an MPEG-4 encoder will open for.
std::filesystem::path TooWideForMpeg4();

struct ProbedStream {
    long index = -1;
    std::string type;   // "video", "audio"
    std::string codec;  // ffprobe's codec_name
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    std::string frameRate;  // ffprobe's r_frame_rate, "23/1"
    long bitRate = -1;      // bits per second, -1 when unknown
    long frames = -1;  // decoded frames (with countFrames), -1 when unknown
    double end = -1;   // end of the last packet in seconds (with countFrames), -1 when unknown
};

struct ProbeResult {
    bool ok = false;         // ffprobe read the file without error
    std::string formatName;  // ffprobe's format_name ("avi", "matroska,webm", "asf")
    double duration = -1;    // seconds, -1 when unknown
    std::vector<ProbedStream> streams;
    const ProbedStream* Find(const std::string& type) const;
};

// Reads a file back with ffprobe; countFrames decodes it all to count video frames
// and reads every packet's time to find where each stream ends.
ProbeResult ProbeFile(const std::filesystem::path& file, bool countFrames = false);

// ffprobe's key=value lines of one stream ("v:0", "a:0") for `entries` (its
// -show_entries); a key given twice (side data types) has its values joined.
std::map<std::string, std::string> StreamFacts(const std::filesystem::path& file,
                                               const std::string& stream,
                                               const std::string& entries);

// Runs a shell command, returning its exit status and (optionally) its standard output.
int RunCommand(const std::string& command, std::string* output = nullptr);
std::string ShellQuote(const std::string& text);

}  // namespace fixtures
