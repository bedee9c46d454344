// Keeping the source's streams and converting a part, as users meet it: the
// built program without a window, its files read back with ffprobe and their
// pictures compared with the source's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/OutputSettings.h"
#include "platform/media/Media.h"
#include "platform/ui/Dialog.h"
#include "settings/Profile.h"

namespace {

namespace fs = std::filesystem;
using fixtures::MakeWith;
using fixtures::ShellQuote;

std::string Probe(const fs::path& file, const std::string& args) {
    std::string out;
    fixtures::RunCommand("ffprobe -v error " + args + " -of csv=p=0 " + ShellQuote(file.string()),
                         &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
    return out;
}

std::string Codec(const fs::path& file, const char* stream) {
    return Probe(file,
                 std::string("-select_streams ") + stream + " -show_entries stream=codec_name");
}

long Packets(const fs::path& file, const char* stream) {
    return std::atol(Probe(file, std::string("-select_streams ") + stream +
                                     " -count_packets -show_entries stream=nb_read_packets")
                         .c_str());
}

// The mean difference of two pictures' grey levels (0 to 255): the first picture of
// `file`, and the source's picture at `seconds` as ffmpeg seeks to it.
double PictureDifference(const fs::path& file, const fs::path& source, double seconds,
                         const fs::path& dir) {
    const fs::path a = dir / "a.gray", b = dir / "b.gray";
    fixtures::RunCommand("ffmpeg -v error -y -i " + ShellQuote(file.string()) +
                         " -frames:v 1 -f rawvideo -pix_fmt gray " + ShellQuote(a.string()));
    fixtures::RunCommand("ffmpeg -v error -y -ss " + std::to_string(seconds) + " -i " +
                         ShellQuote(source.string()) + " -frames:v 1 -f rawvideo -pix_fmt gray " +
                         ShellQuote(b.string()));
    const std::string x = testenv::ReadFile(a), y = testenv::ReadFile(b);
    if (x.empty() || x.size() != y.size()) return 255;
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        sum += std::abs(static_cast<unsigned char>(x[i]) - static_cast<unsigned char>(y[i]));
    return sum / static_cast<double>(x.size());
}

class KeepAndCutTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    }

    // The program's exit code; what it said is in `said`.
    int Convert(const fs::path& source, const fs::path& out, const std::string& options) {
        const fs::path err = dir / "stderr.txt";
        const int code = fixtures::RunCommand(
            "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " +
            ShellQuote(source.string()) + " -o " + ShellQuote(out.string()) + " " + options +
            " 2>" + ShellQuote(err.string()));
        said = testenv::ReadFile(err);
        return code;
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    std::string said;
};

TEST_F(KeepAndCutTest, KeptStreamsReadBackAsTheSourceWhereTheFormatHoldsThem) {
    struct Row {
        fs::path source;
        const char* format;
        const char* video;  // the codec written: the source's when kept
        const char* audio;
        bool converted;  // a stream could not be kept: the preferred compressor's, said so
    };
    const fs::path h264 = fixtures::H264AacMp4(), mpeg4 = fixtures::Mpeg4Mp3Avi(),
                   vp8 = fixtures::Vp8VorbisWebm(), turned = fixtures::TurnedClip(90);
    // clang-format off
    const Row rows[] = {
        {h264, "mkv", "h264", "aac", false},   {h264, "mp4", "h264", "aac", false},
        // Length-prefixed H.264 plays nowhere in AVI or ASF; AAC has its tag there.
        {h264, "avi", "mpeg4", "aac", true},   {h264, "asf", "mpeg4", "aac", true},
        {h264, "webm", "vp8", "vorbis", true},
        {mpeg4, "mkv", "mpeg4", "mp3", false}, {mpeg4, "mp4", "mpeg4", "mp3", false},
        {mpeg4, "avi", "mpeg4", "mp3", false}, {mpeg4, "asf", "mpeg4", "mp3", false},
        {vp8, "webm", "vp8", "vorbis", false}, {vp8, "mp4", "h264", "vorbis", true},
        // A phone's turned picture is kept as stored, its turn with it.
        {turned, "mp4", "h264", nullptr, false},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.source.filename().string() + " to " + r.format);
        const fs::path out = dir / (std::string("kept.") + r.format);
        ASSERT_EQ(
            Convert(r.source, out,
                    std::string("--format ") + r.format + " --video copy --audio copy --overwrite"),
            0)
            << said;
        EXPECT_EQ(said.find("could not") == std::string::npos &&
                      said.find("cannot go into") == std::string::npos,
                  !r.converted)
            << said;
        EXPECT_EQ(Codec(out, "v:0"), r.video);
        if (r.audio) {
            EXPECT_EQ(Codec(out, "a:0"), r.audio);
        }
        // The list offers keeping exactly where it works.
        std::shared_ptr<media::FilterGraph> graph;
        ASSERT_TRUE(SUCCEEDED(media::CreateFilterGraph(graph)));
        ASSERT_TRUE(SUCCEEDED(graph->RenderFile(r.source.string())));
        const std::string muxer = std::string(r.format) == "mkv" ? "matroska" : r.format;
        EXPECT_EQ(media::GraphKeepsStream(*graph, true, muxer),
                  Codec(out, "v:0") == Codec(r.source, "v:0"));
        if (Codec(out, "v:0") == Codec(r.source, "v:0")) {
            EXPECT_EQ(Packets(out, "v:0"), Packets(r.source, "v:0"));
        }
        if (r.audio && Codec(out, "a:0") == Codec(r.source, "a:0")) {
            EXPECT_EQ(Packets(out, "a:0"), Packets(r.source, "a:0"));
        }
    }
    EXPECT_NE(Probe(dir / "kept.mp4", "-show_entries stream_side_data=rotation"), "");
    // Raw H.264 states no times: converted, and said so.
    const fs::path raw =
        MakeWith("raw.h264", "-f lavfi -i testsrc2=s=160x120:r=25:d=1 -c:v libx264");
    EXPECT_EQ(Convert(raw, dir / "raw.mkv", "--video copy --overwrite"), 0) << said;
    EXPECT_NE(said.find("no timestamps"), std::string::npos) << said;
    EXPECT_EQ(Convert(raw, dir / "raw.wmv", "--video copy"), 2) << said;
    // A stored choice to keep: kept where it fits, the preferred compressor where not.
    ui::SetApplicationName("quorvel-converter");
    settings::Profile().WriteInt("DexVideoCompress", "CompressorNumber", engine::kKeepStream);
    ASSERT_EQ(Convert(h264, dir / "stored.mkv", "--overwrite"), 0) << said;
    EXPECT_EQ(Codec(dir / "stored.mkv", "v:0"), "h264");
    ASSERT_EQ(Convert(h264, dir / "stored.avi", "--overwrite"), 0) << said;
    EXPECT_EQ(Codec(dir / "stored.avi", "v:0"), "mpeg4");
    EXPECT_NE(said.find("cannot go into this format"), std::string::npos) << said;
}

TEST_F(KeepAndCutTest, APartStartsAtItsPictureAndLastsItsLength) {
    // Every picture differs from the next; key frames two seconds apart; two sound tracks.
    const fs::path source = MakeWith(
        "cut-source-pcm2.mkv",
        "-f lavfi -i testsrc2=s=320x240:r=25:d=12 -f lavfi -i sine=d=12 -f lavfi -i sine=f=880:d=12 "
        "-map 0 -map 1 -map 2 -c:v libx264 -bf 0 -g 50 -c:a pcm_s16le");
    struct Row {
        const char* format;
        const char* options;
        double start;   // where the output's first picture is the source's, seconds
        double length;  // seconds, within one frame
        const char* said;
    };
    const Row rows[] = {
        {"mp4", "--start 5.2 --end 8.4", 5.2, 3.2, "Done"},
        {"mkv", "--start 0:00:05.200 --duration 3", 5.2, 3.0, "Done"},
        {"avi", "--start 1:03.4 --end 1:06", 0, 0, ""},  // past the source: refused below
        {"webm", "--end 2", 0, 2.0, "Done"},
        // Kept: from the key frame at 4 s, where the completion line says it starts.
        {"mp4", "--start 5.2 --end 8.4 --video copy --audio copy", 4.0, 4.4, "0:00:04.000"},
        {"mkv", "--start 5.2 --end 8.4 --video copy --audio copy", 4.0, 4.4, "0:00:04.000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.format) + " " + r.options);
        const fs::path out = dir / (std::string("part.") + r.format);
        const int code = Convert(source, out, std::string(r.options) + " --overwrite");
        if (r.length == 0) {
            EXPECT_EQ(code, 2) << said;
            EXPECT_FALSE(fs::exists(out));
            continue;
        }
        ASSERT_EQ(code, 0) << said;
        EXPECT_NE(said.find(r.said), std::string::npos) << said;
        EXPECT_LT(PictureDifference(out, source, r.start, dir.path()), 1.0);
        EXPECT_GT(PictureDifference(out, source, r.start + 0.04, dir.path()), 1.0)
            << "the very picture";
        const double duration = std::atof(Probe(out, "-show_entries format=duration").c_str());
        EXPECT_NEAR(duration, r.length, 0.05);
        // The second sound track, kept or converted, is cut the same.
        const std::string last = Probe(out, "-select_streams a:1 -show_entries packet=pts_time,"
                                            "duration_time");
        double at = 0, lasts = 0;
        std::sscanf(last.c_str() + (last.rfind('\n') + 1), "%lf,%lf", &at, &lasts);
        EXPECT_NEAR(at + lasts, r.length, 0.1);
    }
}

TEST_F(KeepAndCutTest, NonsenseTimesAndAStartPastTheRealEndAreRefusedBeforeWriting) {
    const fs::path source = fixtures::H264AacMp4();
    for (const char* options : {"--start abc", "--start 1 --end 0:00:00.500", "--start 0:75",
                                "--end 1 --duration 1", "--start 3", "--duration 0"}) {
        SCOPED_TRACE(options);
        EXPECT_EQ(Convert(source, dir / "x.mkv", options), 2) << said;
        EXPECT_FALSE(fs::exists(dir / "x.mkv"));
    }
    // States ten seconds, holds four: a start at eight is refused, and nothing is written.
    EXPECT_EQ(Convert(fixtures::EndsEarlyMp4(), dir / "late.mkv", "--start 8"), 1) << said;
    EXPECT_NE(said.find("nothing at or after the chosen start"), std::string::npos) << said;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "stderr.txt") << "nothing written";
    // Several files: each is measured on its own, the short one refused, the long one cut.
    const fs::path longOne = fixtures::LongH264AacMp4();
    EXPECT_EQ(Convert(source, dir / "o", ShellQuote(longOne.string()) +
                                             " --format mkv --audio copy --start 3 --duration 2"),
              2) << said;
    EXPECT_NEAR(std::atof(Probe(dir / "o" / (longOne.stem().string() + ".mkv"),
                                "-show_entries format=duration").c_str()), 2.0, 0.6);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "o"), {}), 1) << "one output";
}

}  // namespace
