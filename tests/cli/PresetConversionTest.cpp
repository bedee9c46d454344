// Presets on the command line: each built-in one converts a clip that reads back as
// it says, --list-presets shows them, and the other options go over a preset's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/Preset.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

class PresetConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    }
    // The program's exit code; its standard output and error in `out` and `err`.
    int Program(const std::string& arguments) {
        const fs::path errFile = dir / "stderr.txt";
        const int code = fixtures::RunCommand(
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + ShellQuote(QUORVEL_PROGRAM) +
                " " + arguments + " 2>" + ShellQuote(errFile.string()),
            &out);
        err = testenv::ReadFile(errFile);
        return code;
    }
    // Wider than the smaller presets' largest side: 1440x810, 1 s, two sound tracks
    // (the second French) and a text subtitle.
    static fs::path Source() {
        const fs::path srt = fixtures::FixtureDir() / "preset-source.srt";
        if (!fs::exists(srt)) std::ofstream(srt) << "1\n00:00:00,200 --> 00:00:00,800\nHello\n";
        return fixtures::MakeWith(
            "preset-source.mkv",
            "-f lavfi -i testsrc2=s=1440x810:r=10:d=1 -f lavfi -i sine=f=440:d=1 -f lavfi -i "
            "sine=f=880:d=1 -i " + ShellQuote(srt.string()) +
                " -map 0 -map 1 -map 2 -map 3 -c:v libx264 -preset ultrafast -c:a aac -c:s srt "
                "-metadata:s:a:1 language=fra");
    }
    // The sizes of a stream's packets in `file` ("v:0", "a:1"), one a line: a stream
    // kept as it is has the source's.
    static std::string PacketSizes(const fs::path& file, const char* stream) {
        std::string sizes;
        fixtures::RunCommand(std::string("ffprobe -v error -select_streams ") + stream +
                                 " -show_entries packet=size -of csv=p=0 " +
                                 ShellQuote(file.string()),
                             &sizes);
        return sizes;
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    std::string out, err;
};

TEST_F(PresetConversionTest, EachBuiltInPresetWritesWhatItDescribes) {
    struct Row {
        const char* preset;
        const char* container;  // in ffprobe's format name
        const char* video;
        const char* audio;
        int width;  // 0: the Windows Media writer's own size
        int audioTracks;
        const char* subtitle;  // "": the container takes none
        bool kept;             // the picture and sound are the source's packets as they are
    };
    const Row rows[] = {
        {"MP4 for phones and the web", "mp4", "h264", "aac", 1440, 2, "mov_text", false},
        {"MP4, small, to send", "mp4", "h264", "aac", 1280, 2, "mov_text", false},
        {"MKV to keep (H.265, every track)", "matroska", "hevc", "flac", 1440, 2, "subrip", false},
        {"WebM for the web (VP9 + Opus)", "webm", "vp9", "opus", 1440, 2, "webvtt", false},
        {"AVI for older players", "avi", "mpeg4", "mp3", 720, 2, "", false},
        {"WMV for Windows Media players", "asf", "wmv2", "wmav2", 0, 1, "", false},
        {"Change the container only (keep the streams)", "matroska", "h264", "aac", 1440, 2,
         "subrip", true},
    };
    ASSERT_EQ(std::size(rows), engine::BuiltInPresets().size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.preset);
        const fs::path output = dir / ("out-" + std::string(row.container));
        ASSERT_EQ(
            Program("--convert " + ShellQuote(Source().string()) + " --preset " +
                    ShellQuote(row.preset) + " -o " + ShellQuote(output.string()) + " --overwrite"),
            0)
            << err;
        const fs::path written =
            output.string() + "." +
            engine::FormatRow(engine::FindBuiltInPreset(row.preset)->format).name;
        const fixtures::ProbeResult probe = fixtures::ProbeFile(written);
        ASSERT_TRUE(probe.ok) << written;
        EXPECT_NE(probe.formatName.find(row.container), std::string::npos) << probe.formatName;
        ASSERT_TRUE(probe.Find("video") && probe.Find("audio"));
        EXPECT_EQ(probe.Find("video")->codec, row.video);
        EXPECT_EQ(probe.Find("audio")->codec, row.audio);
        EXPECT_NEAR(probe.duration, 1.0, 0.15);
        int audios = 0;
        std::string subtitle;
        for (const fixtures::ProbedStream& stream : probe.streams) {
            audios += stream.type == "audio";
            if (stream.type == "subtitle") subtitle = stream.codec;
        }
        EXPECT_EQ(audios, row.audioTracks);
        EXPECT_EQ(subtitle, row.subtitle);
        if (*row.subtitle) {  // AVI keeps no language
            EXPECT_EQ(fixtures::StreamFacts(written, "a:1", "stream_tags=language")["TAG:language"],
                      "fra");
        }
        if (row.kept) {
            for (const char* stream : {"v:0", "a:0", "a:1"})
                EXPECT_EQ(PacketSizes(written, stream), PacketSizes(Source(), stream)) << stream;
        }
        if (row.width) {
            // The longer side at most the preset's, the picture's shape kept.
            EXPECT_EQ(probe.Find("video")->width, row.width);
            EXPECT_NEAR(probe.Find("video")->height, row.width * 810 / 1440, 1);
        }
    }
}

TEST_F(PresetConversionTest, TheListShowsThemAndTheOtherOptionsGoOverAPreset) {
    ASSERT_EQ(Program("--list-presets"), 0) << err;
    for (const engine::Preset& preset : engine::BuiltInPresets())
        EXPECT_NE(out.find(preset.name + "\n    " + preset.description + "\n"), std::string::npos)
            << preset.name;
    EXPECT_NE(out.find("    mkv, video \"libx265\" (crf=20), audio \"flac\", every audio track\n"),
              std::string::npos)
        << out;

    EXPECT_EQ(Program("--convert " + ShellQuote(Source().string()) + " --preset 'No such one'"), 2);
    EXPECT_NE(err.find("There is no preset named \"No such one\"; --list-presets shows them."),
              std::string::npos)
        << err;

    // Any letter case names it; --format takes the compressors it can hold along.
    const fs::path output = dir / "over.mp4";
    ASSERT_EQ(Program("--convert " + ShellQuote(Source().string()) +
                      " --preset 'mp4 FOR phones and the web' --format mkv -o " +
                      ShellQuote(output.string())),
              0)
        << err;
    const fixtures::ProbeResult probe = fixtures::ProbeFile(dir / "over.mkv");
    ASSERT_TRUE(probe.ok && probe.Find("video") && probe.Find("audio"));
    EXPECT_NE(probe.formatName.find("matroska"), std::string::npos);
    EXPECT_EQ(probe.Find("video")->codec, "h264");
    EXPECT_EQ(probe.Find("audio")->codec, "aac");
}

// Several files at once take the preset and the size along, each job with its
// own two passes; a format that takes no size says so and writes the file.
TEST_F(PresetConversionTest, SeveralFilesAtOnceKeepThePresetAndTheSize) {
    const fs::path noisy = fixtures::MakeWith(
        "preset-noisy.mp4",
        "-f lavfi -i testsrc2=size=640x360:rate=25:duration=4,noise=alls=20:allf=t+u -f lavfi -i "
        "sine=f=440:d=4 -ac 2 -c:v libx264 -preset ultrafast -crf 16 -c:a aac");
    fs::copy_file(noisy, dir / "a.mp4");
    fs::copy_file(noisy, dir / "b.mp4");
    struct Row {
        const char* options;
        const char* extension;
        bool sized;  // 85-100 % of 1 MB; else the note that no size was kept to
    };
    for (const Row& row : {Row{"--size 1M", "mp4", true}, Row{"--format avi", "avi", false}}) {
        SCOPED_TRACE(row.options);
        const fs::path folder = dir / row.extension;
        ASSERT_EQ(Program("--convert " + ShellQuote((dir / "a.mp4").string()) + " " +
                          ShellQuote((dir / "b.mp4").string()) +
                          " --preset 'MP4, small, to send' --jobs 2 " + row.options + " -o " +
                          ShellQuote(folder.string())),
                  0)
            << err;
        EXPECT_EQ(err.find("No size was kept to") != std::string::npos, !row.sized) << err;
        for (const char* name : {"a", "b"}) {
            const fs::path written = folder / (std::string(name) + "." + row.extension);
            const fixtures::ProbeResult probe = fixtures::ProbeFile(written);
            ASSERT_TRUE(probe.ok && probe.Find("video") && probe.Find("audio")) << written;
            EXPECT_NEAR(probe.duration, 4.0, 0.2);
            if (!row.sized) continue;
            const double share = static_cast<double>(fs::file_size(written)) / 1e6;
            EXPECT_GE(share, 0.85);
            EXPECT_LE(share, 1.0);
            // The preset's own sound settings went with the job.
            EXPECT_NEAR(probe.Find("audio")->bitRate, 96000, 10000);
        }
    }
}

}  // namespace
