// MP4 files written by the program without a window, read back with ffprobe and
// from their own bytes: the codecs and profiles every player takes, the index in
// front, even sides, the source's channels, every frame and the whole length.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "platform/ui/Dialog.h"
#include "settings/Profile.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

std::map<std::string, std::string> StreamFacts(const fs::path& file, const std::string& stream) {
    return fixtures::StreamFacts(file, stream,
                                 "stream=codec_name,profile,pix_fmt,width,height,r_frame_rate,"
                                 "sample_rate,channels,bit_rate");
}

// The types of the file's top-level boxes, in order, read from its bytes.
std::vector<std::string> TopLevelBoxes(const fs::path& file) {
    std::vector<std::string> boxes;
    std::ifstream in(file, std::ios::binary);
    const std::uint64_t size = fs::file_size(file);
    std::uint64_t at = 0;
    while (at + 8 <= size && boxes.size() < 64) {
        unsigned char head[16];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(head), 8)) break;
        std::uint64_t length = (std::uint64_t{head[0]} << 24) | (head[1] << 16) | (head[2] << 8) | head[3];
        boxes.emplace_back(reinterpret_cast<char*>(head + 4), 4);
        if (length == 1) {  // a 64-bit length follows the type
            if (!in.read(reinterpret_cast<char*>(head + 8), 8)) break;
            length = 0;
            for (int i = 8; i < 16; ++i) length = (length << 8) | head[i];
        } else if (length == 0) {
            break;  // to the end of the file
        }
        if (length < 8) break;
        at += length;
    }
    return boxes;
}

std::ptrdiff_t Position(const std::vector<std::string>& boxes, const std::string& type) {
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i] == type) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

class Mp4OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }

    int Convert(const fs::path& input, const fs::path& output, const std::string& extra = "") {
        const fs::path err = dir / "stderr.txt";
        const int code = fixtures::RunCommand(
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + ShellQuote(QUORVEL_PROGRAM) +
            " --convert " + ShellQuote(input.string()) + " -o " + ShellQuote(output.string()) + " " +
            extra + " 2>" + ShellQuote(err.string()));
        lastErr = testenv::ReadFile(err);
        return code;
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    std::string lastErr;
};

TEST_F(Mp4OutputTest, WritesHighProfileH264AndAacLcWithTheIndexInFront) {
    // 718x404 at 29.97 fps, 2 s, 44.1 kHz stereo.
    const fs::path out = dir / "clip.mp4";
    ASSERT_EQ(Convert(fixtures::H264AacMp4(), out), 0) << lastErr;

    auto video = StreamFacts(out, "v:0");
    EXPECT_EQ(video["codec_name"], "h264");
    EXPECT_EQ(video["profile"], "High");
    EXPECT_EQ(video["pix_fmt"], "yuv420p");
    EXPECT_EQ(video["width"], "718");
    EXPECT_EQ(video["height"], "404");
    EXPECT_EQ(video["r_frame_rate"], "30000/1001");
    auto audio = StreamFacts(out, "a:0");
    EXPECT_EQ(audio["codec_name"], "aac");
    EXPECT_EQ(audio["profile"], "LC");
    EXPECT_EQ(audio["sample_rate"], "44100");
    EXPECT_EQ(audio["channels"], "2");
    const long audioRate = std::stol(audio["bit_rate"].empty() ? "0" : audio["bit_rate"]);
    EXPECT_GT(audioRate, 130000);
    EXPECT_LT(audioRate, 190000);

    const fixtures::ProbeResult probe = fixtures::ProbeFile(out, true);
    ASSERT_TRUE(probe.ok);
    EXPECT_NE(probe.formatName.find("mp4"), std::string::npos);
    EXPECT_NEAR(probe.duration, 2.0, 0.1);
    ASSERT_TRUE(probe.Find("video"));
    EXPECT_EQ(probe.Find("video")->frames, 60);

    const auto boxes = TopLevelBoxes(out);
    ASSERT_GE(Position(boxes, "moov"), 0) << "no index";
    ASSERT_GE(Position(boxes, "mdat"), 0) << "no media";
    EXPECT_EQ(boxes.front(), "ftyp");
    EXPECT_LT(Position(boxes, "moov"), Position(boxes, "mdat")) << "the index must come first";
    // The hidden file the run wrote is gone; only the output is left.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        files += entry.path().extension() == ".mp4" ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

TEST_F(Mp4OutputTest, OddSized444MonoSourceBecomesEven420AndStaysMono) {
    fixtures::ClipRecipe recipe;
    recipe.width = 321;
    recipe.height = 241;
    recipe.rate = "25";
    recipe.seconds = 2.0;
    recipe.codecs = "-c:v ffv1 -pix_fmt yuv444p -c:a pcm_s16le -ac 1 -ar 48000";
    const fs::path source = fixtures::MakeClip("odd-444-mono-48k.mkv", recipe);
    // Named by the format switch: the extension follows the format.
    ASSERT_EQ(Convert(source, dir / "odd.out", "--format mp4"), 0) << lastErr;
    const fs::path out = dir / "odd.mp4";
    ASSERT_TRUE(fs::exists(out));

    auto video = StreamFacts(out, "v:0");
    EXPECT_EQ(video["codec_name"], "h264");
    EXPECT_EQ(video["profile"], "High");
    EXPECT_EQ(video["pix_fmt"], "yuv420p");
    EXPECT_EQ(video["width"], "320");
    EXPECT_EQ(video["height"], "240");
    EXPECT_EQ(video["r_frame_rate"], "25/1");
    auto audio = StreamFacts(out, "a:0");
    EXPECT_EQ(audio["profile"], "LC");
    EXPECT_EQ(audio["sample_rate"], "48000");
    EXPECT_EQ(audio["channels"], "1") << "sound is mixed down only where the encoder must";
    const fixtures::ProbeResult probe = fixtures::ProbeFile(out, true);
    ASSERT_TRUE(probe.Find("video"));
    EXPECT_EQ(probe.Find("video")->frames, 50);
    EXPECT_NEAR(probe.duration, 2.0, 0.1);
    const auto boxes = TopLevelBoxes(out);
    EXPECT_LT(Position(boxes, "moov"), Position(boxes, "mdat"));
}

TEST_F(Mp4OutputTest, TheFormatSwitchTakesMp4sOwnStoredChoiceNotTheSharedOne) {
    int mpeg4 = -1, mpeg2 = -1;
    ASSERT_TRUE(engine::FindPreferredCompressor(engine::CompressorCategory::Video,
                                                "ffdshow video encoder", mpeg4));
    ASSERT_TRUE(engine::FindPreferredCompressor(engine::CompressorCategory::Video, "mpeg-2 video",
                                                mpeg2));
    settings::Profile().WriteInt("Settings", "nOuptputFormat", 0);
    settings::Profile().WriteInt("DexVideoCompress", "CompressorNumber", mpeg2);
    settings::Profile().WriteInt("DexVideoCompress", "Mp4CompressorNumber", mpeg4);
    ASSERT_EQ(Convert(fixtures::H264AacMp4(), dir / "chosen.mp4", "--format mp4"), 0) << lastErr;
    EXPECT_EQ(StreamFacts(dir / "chosen.mp4", "v:0")["codec_name"], "mpeg4");
    EXPECT_EQ(StreamFacts(dir / "chosen.mp4", "a:0")["codec_name"], "aac") << "nothing stored: AAC";
}

TEST_F(Mp4OutputTest, HevcAndAv1ChoicesWriteMkvAndMp4FilesThatReadBack) {
    struct Choice {
        const char* fragment;
        const char* codec;
    };
    int tried = 0;
    for (const Choice& c : {Choice{"libx265 h.265", "hevc"}, Choice{"svt-av1", "av1"},
                            Choice{"libaom av1", "av1"}}) {
        int index = -1;
        if (!engine::FindPreferredCompressor(engine::CompressorCategory::Video, c.fragment, index))
            continue;  // this FFmpeg has no such encoder
        ++tried;
        settings::Profile().WriteInt("Settings", "nOuptputFormat", 0);
        settings::Profile().WriteInt("DexVideoCompress", "CompressorNumber", index);
        settings::Profile().WriteInt("DexVideoCompress", "Mp4CompressorNumber", index);
        for (const char* format : {"mkv", "mp4"}) {
            SCOPED_TRACE(std::string(c.fragment) + " in " + format);
            const fs::path out = dir / (std::string("new.") + format);
            ASSERT_EQ(Convert(fixtures::H264AacMp4(), out, std::string("--overwrite --format ") + format),
                      0)
                << lastErr;
            auto video = StreamFacts(out, "v:0");
            EXPECT_EQ(video["codec_name"], c.codec);
            EXPECT_EQ(video["width"], "718");
            const fixtures::ProbeResult probe = fixtures::ProbeFile(out, true);
            ASSERT_TRUE(probe.Find("video"));
            EXPECT_EQ(probe.Find("video")->frames, 60);
        }
    }
    if (tried == 0) GTEST_SKIP() << "no H.265 or AV1 encoder in this FFmpeg";
}

}  // namespace
