#include "MediaFixtures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "TestEnv.h"

namespace fixtures {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunCommand(const std::string& command, std::string* output) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        if (output) output->append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::filesystem::path FixtureDir() {
    static const std::filesystem::path dir = [] {
        const char* base = std::getenv("QUORVEL_TEST_TMP");
        std::filesystem::path d =
            base ? std::filesystem::path(base) / "media-fixtures"
                 : std::filesystem::temp_directory_path() /
                       ("quorvel-media-fixtures-" + std::to_string(::getuid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

bool HaveFfmpegTools() {
    static const bool have = RunCommand("ffmpeg -version >/dev/null 2>&1") == 0 &&
                             RunCommand("ffprobe -version >/dev/null 2>&1") == 0;
    return have;
}

namespace {

// Writes through a private name and renames, so concurrent test processes never
// see a half-written clip.
std::filesystem::path Produce(const std::string& fileName, const std::string& commandWithOutput) {
    const auto target = FixtureDir() / fileName;
    if (std::filesystem::exists(target)) return target;
    const auto temp = FixtureDir() / (std::to_string(::getpid()) + ".tmp." + fileName);
    std::string command = commandWithOutput;
    const auto at = command.find("{out}");
    command.replace(at, 5, ShellQuote(temp.string()));
    if (RunCommand(command + " >/dev/null 2>&1") != 0) {
        std::filesystem::remove(temp);
        throw std::runtime_error("fixture generation failed: " + command);
    }
    std::filesystem::rename(temp, target);
    return target;
}

}  // namespace

std::map<std::string, std::string> StreamFacts(const std::filesystem::path& file,
                                               const std::string& stream,
                                               const std::string& entries) {
    std::string out;
    RunCommand("ffprobe -v error -select_streams " + stream + " -show_entries " + entries +
                   " -of default=nw=1 " + ShellQuote(file.string()),
               &out);
    std::map<std::string, std::string> facts;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            facts[line.substr(0, eq)] += line.substr(eq + 1);
    return facts;
}

std::filesystem::path MakeWith(const std::string& fileName, const std::string& args) {
    return Produce(fileName, "ffmpeg -nostdin -v error -y " + args + " {out}");
}

// A fragmented MP4 whose header gives every length as all ones ("unknown").
std::filesystem::path UnknownLengthMp4() {
    const std::filesystem::path target = fixtures::FixtureDir() / "unknown-length.mp4";
    if (std::filesystem::exists(target)) return target;
    const std::filesystem::path fragmented = MakeWith(
        "fragmented.mp4",
        "-f lavfi -i testsrc=s=160x120:r=25:d=0.6 -c:v libx264 -movflags frag_keyframe+empty_moov");
    std::ifstream in(fragmented, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Duration fields: mvhd and mdhd at 20 bytes past the type, tkhd at 24.
    for (const auto& [box, offset] :
         {std::pair<std::string, std::size_t>{"mvhd", 20}, {"tkhd", 24}, {"mdhd", 20}})
        for (auto at = bytes.find(box); at != std::string::npos; at = bytes.find(box, at + 4))
            bytes.replace(at + offset, 4, "\xff\xff\xff\xff");
    const std::filesystem::path temp = target.string() + ".part" + std::to_string(::getpid());
    std::ofstream(temp, std::ios::binary) << bytes;
    std::filesystem::rename(temp, target);
    return target;
}

std::filesystem::path TurnedClip(int degrees) {
    const auto upright =
        MakeWith("upright.mp4", "-f lavfi -i testsrc=s=320x180:r=25:d=0.4 -c:v libx264");
    return MakeWith("turned" + std::to_string(degrees) + ".mp4",
                    "-i " + ShellQuote(upright.string()) +
                        " -c copy -metadata:s:v rotate=" + std::to_string(degrees));
}

std::filesystem::path AnamorphicMpeg2() {
    return MakeWith("anamorphic.mpg",
                    "-f lavfi -i testsrc=s=720x576:r=25:d=0.4 -c:v mpeg2video -aspect 16:9");
}

std::filesystem::path MakeClip(const std::string& fileName, const ClipRecipe& recipe) {
    std::ostringstream cmd;
    cmd << "ffmpeg -nostdin -v error -y";
    if (recipe.video)
        cmd << " -f lavfi -i testsrc=size=" << recipe.width << "x" << recipe.height
            << ":rate=" << recipe.rate << ":duration=" << recipe.seconds;
    if (recipe.audio)
        cmd << " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" << recipe.seconds;
    if (recipe.audio) cmd << " -ac 2";
    cmd << " " << recipe.codecs << " -t " << recipe.seconds << " {out}";
    return Produce(fileName, cmd.str());
}

std::filesystem::path H264AacMp4() {
    return MakeClip("h264-aac.mp4",
                    {.codecs = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac"});
}

std::filesystem::path Mpeg4Mp3Avi() {
    return MakeClip("mpeg4-mp3.avi", {.codecs = "-c:v mpeg4 -q:v 5 -c:a libmp3lame"});
}

std::filesystem::path Vp8VorbisWebm() {
    return MakeClip(
        "vp8-vorbis.webm",
        {.codecs = "-c:v libvpx -deadline realtime -cpu-used 8 -b:v 500k -c:a libvorbis"});
}

std::filesystem::path AudioOnlyMp3() {
    return MakeClip("audio-only.mp3", {.video = false, .codecs = "-c:a libmp3lame"});
}

std::filesystem::path VideoOnlyMkv() {
    return MakeClip("video-only.mkv",
                    {.audio = false, .codecs = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p"});
}

std::filesystem::path TruncatedMp4() {
    const auto target = FixtureDir() / "truncated.mp4";
    if (std::filesystem::exists(target)) return target;
    // Index at the end (no faststart), then keep only the first 40 %.
    const auto whole =
        MakeClip("truncated-source.mp4", {.codecs = "-c:v libx264 -preset ultrafast -c:a aac"});
    const std::string bytes = testenv::ReadFile(whole);
    const auto temp = FixtureDir() / (std::to_string(::getpid()) + ".tmp.truncated.mp4");
    testenv::WriteFile(temp, bytes.substr(0, bytes.size() * 2 / 5));
    std::filesystem::rename(temp, target);
    return target;
}

std::filesystem::path EndsEarlyMp4() {
    const auto target = FixtureDir() / "ends-early.mp4";
    if (std::filesystem::exists(target)) return target;
    // Index at the front, so the file opens and claims 10 s; the data stops at 40 %.
    const auto whole = MakeClip(
        "ends-early-source.mp4",
        {.seconds = 10.0,
         .codecs = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -movflags +faststart"});
    const std::string bytes = testenv::ReadFile(whole);
    const auto temp = FixtureDir() / (std::to_string(::getpid()) + ".tmp.ends-early.mp4");
    testenv::WriteFile(temp, bytes.substr(0, bytes.size() * 2 / 5));
    std::filesystem::rename(temp, target);
    return target;
}

std::filesystem::path RandomBytes() {
    const auto target = FixtureDir() / "random.avi";
    if (std::filesystem::exists(target)) return target;
    std::mt19937 generator(20240611u);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
    const auto temp = FixtureDir() / (std::to_string(::getpid()) + ".tmp.random.avi");
    testenv::WriteFile(temp, bytes);
    std::filesystem::rename(temp, target);
    return target;
}

std::filesystem::path LongH264AacMp4() {
    return MakeClip(
        "long-h264-aac.mp4",
        {.seconds = 10.0, .codecs = "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac"});
}

std::filesystem::path TooWideForMpeg4() {
    return MakeClip("wide-8200x16.mkv", {.width = 8200,
                                         .height = 16,
                                         .rate = "5",
                                         .seconds = 0.4,
                                         .codecs = "-c:v ffv1 -c:a pcm_s16le"});
}

const ProbedStream* ProbeResult::Find(const std::string& type) const {
    for (const auto& s : streams)
        if (s.type == type) return &s;
    return nullptr;
}

ProbeResult ProbeFile(const std::filesystem::path& file, bool countFrames) {
    std::string text;
    const std::string command = std::string("ffprobe -v error") +
                                (countFrames ? " -count_frames" : "") +
                                " -show_entries "
                                "format=format_name,duration:stream=codec_type,codec_name,width,"
                                "height,sample_rate,channels,r_frame_rate,bit_rate,"
                                "nb_read_frames,index" +
                                (countFrames ? ":packet=stream_index,pts_time,duration_time" : "") +
                                " -of default " + ShellQuote(file.string()) + " 2>/dev/null";
    ProbeResult result;
    result.ok = RunCommand(command, &text) == 0;
    std::istringstream lines(text);
    std::string line;
    ProbedStream* current = nullptr;
    struct PacketLine {
        long stream = -1;
        double pts = -1, duration = 0;
    } packet;
    bool inPacket = false;
    std::vector<std::pair<long, double>> ends;
    auto number = [](const std::string& v) { return v == "N/A" ? -1L : std::atol(v.c_str()); };
    while (std::getline(lines, line)) {
        if (line == "[STREAM]") {
            result.streams.emplace_back();
            current = &result.streams.back();
            continue;
        }
        if (line == "[/STREAM]" || line == "[FORMAT]") {
            current = nullptr;
            continue;
        }
        if (line == "[PACKET]" || line == "[/PACKET]") {
            inPacket = line == "[PACKET]";
            if (!inPacket && packet.pts >= 0)
                ends.emplace_back(packet.stream, packet.pts + packet.duration);
            packet = PacketLine{};
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (inPacket) {
            if (key == "stream_index")
                packet.stream = number(value);
            else if (key == "pts_time" && value != "N/A")
                packet.pts = std::atof(value.c_str());
            else if (key == "duration_time" && value != "N/A")
                packet.duration = std::atof(value.c_str());
        } else if (current) {
            if (key == "codec_type")
                current->type = value;
            else if (key == "codec_name")
                current->codec = value;
            else if (key == "width")
                current->width = static_cast<int>(number(value));
            else if (key == "height")
                current->height = static_cast<int>(number(value));
            else if (key == "sample_rate")
                current->sampleRate = static_cast<int>(number(value));
            else if (key == "channels")
                current->channels = static_cast<int>(number(value));
            else if (key == "r_frame_rate")
                current->frameRate = value;
            else if (key == "bit_rate")
                current->bitRate = number(value);
            else if (key == "nb_read_frames")
                current->frames = number(value);
            else if (key == "index")
                current->index = number(value);
        } else if (key == "format_name") {
            result.formatName = value;
        } else if (key == "duration" && value != "N/A") {
            result.duration = std::atof(value.c_str());
        }
    }
    for (auto& s : result.streams)
        for (const auto& [stream, end] : ends)
            if (stream == s.index && end > s.end) s.end = end;
    return result;
}

}  // namespace fixtures
