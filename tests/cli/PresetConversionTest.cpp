// Presets on the command line: each built-in one converts a clip that reads back as
// it says, --list-presets shows them, and the other options go over a preset's.
#include <gtest/gtest.h>

#include <filesystem>
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
    static fs::path Source() {
        // Wider than the smaller presets' largest side: 1440x810, 1 s, with sound.
        return fixtures::MakeClip("preset-source.mp4",
                                  {1440, 810, "10", 1.0, true, true, "-c:v libx264 -c:a aac"});
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
    };
    const Row rows[] = {
        {"MP4 for phones and the web", "mp4", "h264", "aac", 1440},
        {"MP4, small, to send", "mp4", "h264", "aac", 1280},
        {"MKV to keep (H.265, every track)", "matroska", "hevc", "flac", 1440},
        {"WebM for the web (VP9 + Opus)", "webm", "vp9", "opus", 1440},
        {"AVI for older players", "avi", "mpeg4", "mp3", 720},
        {"WMV for Windows Media players", "asf", "wmv2", "wmav2", 0},
        // Until streams can be kept, the preset's stand-ins write them.
        {"Change the container only (keep the streams)", "matroska", "h264", "aac", 1440},
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

}  // namespace
