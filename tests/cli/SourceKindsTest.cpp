// The videos people have, converted by the program without a window and read
// back with ffprobe: phone clips turned on their side, anamorphic and
// interlaced camera files, HDR, colour-tagged pictures, 5.1 sound, a phone's
// 90 kHz rate, a fragmented MP4 of unknown length, sound that starts late.
// One table of sources x formats.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "platform/ui/Dialog.h"
#include "settings/Profile.h"

namespace {

namespace fs = std::filesystem;
using fixtures::MakeWith;
using fixtures::ShellQuote;

// An H.264 clip with bits flipped in its pictures (its index at the end left whole).
fs::path BitFlipped() {
    const fs::path target = fixtures::FixtureDir() / "bit-flipped.mp4";
    if (fs::exists(target)) return target;
    const fs::path whole =
        MakeWith("whole.mp4", "-f lavfi -i testsrc2=s=320x240:r=25:d=2 -c:v libx264");
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t at = bytes.size() / 8; at < bytes.size() * 3 / 4; at += 997) bytes[at] ^= 0x10;
    const fs::path temp = target.string() + ".part";
    std::ofstream(temp, std::ios::binary) << bytes;
    fs::rename(temp, target);
    return target;
}

// The sources, made on first use.
fs::path Source(const std::string& name) {
    // 10-bit HEVC in BT.2020: PQ with HDR10 mastering data (in the pictures alone, as
    // x265 writes it), HLG without.
    const std::string hevc10 =
        "-f lavfi -i testsrc2=s=320x180:r=25:d=0.4 -pix_fmt yuv420p10le -c:v libx265 "
        "-color_primaries bt2020 -colorspace bt2020nc -x265-params log-level=error";
    const std::string hdr10 =
        ":hdr10=1:master-display='G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)"
        "L(10000000,1)':max-cll=1000,400";
    // A solid RGB 176,64,32 stored with one matrix and stated with it.
    auto field = [](const char* size, const char* matrix, const char* tag) {
        return std::string("-f lavfi -i color=c=0xB04020:s=") + size +
               ":r=25:d=0.4 -vf scale=out_color_matrix=" + matrix +
               ":out_range=tv,format=yuv420p -c:v libx264 -qp 0 -colorspace " + tag +
               " -color_primaries " + tag + " -color_trc " + tag;
    };
    if (name == "rot90.mp4") return fixtures::TurnedClip(90);
    if (name == "rot180.mp4") return fixtures::TurnedClip(180);
    if (name == "rot45.mp4") return fixtures::TurnedClip(45);
    if (name == "bit-flipped.mp4") return BitFlipped();
    if (name == "codec-change.ts") {
        // One broadcast, its codec changing midway on the same stream.
        const fs::path h264 =
            MakeWith("half-h264.ts", "-f lavfi -i testsrc=s=160x120:r=25:d=1 -c:v libx264");
        const fs::path mpeg2 =
            MakeWith("half-mpeg2.ts", "-f lavfi -i testsrc2=s=160x120:r=25:d=1 -c:v mpeg2video");
        const fs::path joined = fixtures::FixtureDir() / name;
        fixtures::RunCommand("cat " + ShellQuote(h264.string()) + " " + ShellQuote(mpeg2.string()) +
                             " >" + ShellQuote(joined.string()));
        return joined;
    }
    if (name == "unknown-length.mp4") return fixtures::UnknownLengthMp4();
    if (name == "anamorphic.mpg") return fixtures::AnamorphicMpeg2();
    const std::map<std::string, std::string> recipes = {
        {"interlaced.mpg",
         "-f lavfi -i testsrc=s=720x576:r=50:d=0.4 -vf tinterlace=interleave_top,fieldorder=tff "
         "-flags +ildct+ilme -c:v mpeg2video"},
        {"pq.mkv", hevc10 + hdr10 + " -color_trc smpte2084"},
        {"hlg.mkv", hevc10 + " -color_trc arib-std-b67"},
        {"bt601-hd.mkv", field("1280x720", "bt601", "smpte170m")},
        {"bt709-sd.mkv", field("640x480", "bt709", "bt709")},
        {"surround.mkv",
         "-f lavfi -i testsrc=s=160x120:r=25:d=0.4 -f lavfi -i sine=d=0.4 -af "
         "'pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0' -c:v mpeg4 -c:a pcm_s16le"},
        {"phone-90k.mp4",
         "-f lavfi -i testsrc=s=160x120:r=90000/3001:d=0.4 -c:v libx264 -video_track_timescale "
         "90000"},
        {"1hz.mkv",
         "-f lavfi -i testsrc=s=160x120:r=25:d=1 -f lavfi -i 'aevalsrc=sin(t):s=1:d=1' -c:v mpeg4 "
         "-c:a pcm_s16le"},
        {"late-sound.mkv",
         "-f lavfi -i testsrc=s=160x120:r=25:d=0.6 -itsoffset 0.3 -f lavfi -i sine=d=0.3 -c:v "
         "mpeg4 -c:a aac"},
    };
    return MakeWith(name, recipes.at(name));
}

// The mean colour of the first picture as a player shows it: its Y'CbCr means
// turned to RGB with the matrix the file states, or the one its size implies.
std::array<double, 3> ShownColour(const fs::path& file, const std::string& matrix, int height) {
    std::string out;
    fixtures::RunCommand(
        "ffmpeg -v error -i " + ShellQuote(file.string()) +
            " -frames:v 1 -vf signalstats,metadata=print:file=- -f null - 2>/dev/null",
        &out);
    auto mean = [&](const char* key) {
        const auto at = out.find(key);
        return at == std::string::npos ? -1.0 : std::atof(out.c_str() + at + std::strlen(key) + 1);
    };
    const bool bt709 =
        matrix == "bt709" || (matrix.empty() || matrix == "unknown" ? height >= 720 : false);
    const double kr = bt709 ? 0.2126 : 0.299, kb = bt709 ? 0.0722 : 0.114, kg = 1 - kr - kb;
    const double y = (mean("lavfi.signalstats.YAVG") - 16) * 255 / 219;
    const double cb = (mean("lavfi.signalstats.UAVG") - 128) * 255 / 224;
    const double cr = (mean("lavfi.signalstats.VAVG") - 128) * 255 / 224;
    const double r = y + 2 * (1 - kr) * cr, b = y + 2 * (1 - kb) * cb;
    return {r, (y - kr * r - kb * b) / kg, b};
}

// What a conversion of `source` to `format` must give; empty fields are not checked.
// What ffprobe is asked of each stream; the side data types come as one value.
constexpr const char* kEntries =
    "stream=width,height,sample_aspect_ratio,pix_fmt,color_space,color_transfer,field_order,"
    "channels,r_frame_rate,start_time:stream_side_data=side_data_type";

struct Row {
    const char* source;
    const char* format;
    const char* video = nullptr;  // compressor name fragment; nullptr: the format's own
    const char* audio = nullptr;
    const char* size = "";
    const char* aspect = "";
    const char* pixels = "";
    const char* matrix = "";  // color_space; "unknown": none stated
    const char* transfer = "";
    bool mastering = false;  // the HDR mastering data carried
    int channels = 0;
    const char* rate = "";   // r_frame_rate
    double soundStart = -1;  // after the picture's, in seconds
    int exit = 0;            // the program's exit code
    const char* said = "";   // on standard error
};

class SourceKindsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }

    // The choice of a format family's compressor, or -2 (its preferred one).
    void Choose(engine::CompressorCategory category, const char* format, const char* fragment) {
        int index = -2;
        if (fragment) {
            ASSERT_TRUE(engine::FindPreferredCompressor(category, fragment, index)) << fragment;
        }
        const std::string key = std::string(format) == "mp4"    ? "Mp4CompressorNumber"
                                : std::string(format) == "webm" ? "WebmCompressorNumber"
                                                                : "CompressorNumber";
        const bool video = category == engine::CompressorCategory::Video;
        settings::Profile().WriteInt(video ? "DexVideoCompress" : "DexAudioCompress", key.c_str(),
                                     index);
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
};

TEST_F(SourceKindsTest, OutputsAreUprightInShapeInColourAndInTime) {
    // clang-format off
    const Row rows[] = {
        // Turned on its side: upright, and no rotation left in the file.
        {.source = "rot90.mp4", .format = "avi", .size = "180x320", .aspect = "1:1"},
        {.source = "rot90.mp4", .format = "wmv", .size = "180x320", .aspect = "1:1"},
        {.source = "rot90.mp4", .format = "mkv", .size = "180x320", .aspect = "1:1"},
        {.source = "rot90.mp4", .format = "asf", .size = "180x320"},
        {.source = "rot90.mp4", .format = "webm", .size = "180x320", .aspect = "1:1"},
        {.source = "rot90.mp4", .format = "mp4", .size = "180x320", .aspect = "1:1"},
        {.source = "rot180.mp4", .format = "mkv", .size = "320x180", .aspect = "1:1"},
        // 16:9 on 720x576: the shape kept, or square pixels at the display size.
        {.source = "anamorphic.mpg", .format = "avi", .size = "1024x576", .aspect = "1:1"},
        {.source = "anamorphic.mpg", .format = "wmv", .size = "1024x576", .aspect = "1:1"},
        {.source = "anamorphic.mpg", .format = "asf", .size = "1024x576", .aspect = "1:1"},
        {.source = "anamorphic.mpg", .format = "mkv", .size = "720x576", .aspect = "64:45"},
        {.source = "anamorphic.mpg", .format = "webm", .size = "720x576", .aspect = "64:45"},
        {.source = "anamorphic.mpg", .format = "mp4", .size = "720x576", .aspect = "64:45"},
        // Interlaced: one progressive frame per frame.
        {.source = "interlaced.mpg", .format = "mkv", .size = "720x576", .rate = "25/1"},
        {.source = "interlaced.mpg", .format = "avi", .size = "720x576", .rate = "25/1"},
        // HDR: tone-mapped for 8 bits, kept with 10 bits and its mastering data.
        {.source = "pq.mkv", .format = "mp4", .pixels = "yuv420p", .matrix = "bt709", .transfer = "bt709"},
        {.source = "pq.mkv", .format = "avi", .pixels = "yuv420p"},
        {.source = "pq.mkv", .format = "mkv", .video = "libx265", .pixels = "yuv420p10le",
         .matrix = "bt2020nc", .transfer = "smpte2084", .mastering = true},
        {.source = "pq.mkv", .format = "mp4", .video = "libx265", .pixels = "yuv420p10le",
         .matrix = "bt2020nc", .transfer = "smpte2084", .mastering = true},
        {.source = "pq.mkv", .format = "webm", .video = "libvpx vp9", .pixels = "yuv420p10le",
         .matrix = "bt2020nc", .transfer = "smpte2084", .mastering = true},
        {.source = "hlg.mkv", .format = "mkv", .pixels = "yuv420p", .matrix = "bt709", .transfer = "bt709"},
        {.source = "hlg.mkv", .format = "mkv", .video = "libx265", .pixels = "yuv420p10le",
         .matrix = "bt2020nc", .transfer = "arib-std-b67"},
        // Colours as stated, or as the frame size makes players take them.
        {.source = "bt601-hd.mkv", .format = "mkv", .matrix = "smpte170m"},
        {.source = "bt601-hd.mkv", .format = "avi"},
        {.source = "bt601-hd.mkv", .format = "wmv"},
        {.source = "bt709-sd.mkv", .format = "mkv", .matrix = "bt709"},
        {.source = "bt709-sd.mkv", .format = "mp4", .matrix = "bt709"},
        {.source = "bt709-sd.mkv", .format = "asf"},
        // 5.1 stays 5.1 where the compressor takes it.
        {.source = "surround.mkv", .format = "mp4", .channels = 6},
        {.source = "surround.mkv", .format = "webm", .channels = 6},
        {.source = "surround.mkv", .format = "mkv", .audio = "a/52a", .channels = 6},
        {.source = "surround.mkv", .format = "mkv", .audio = "libopus", .channels = 6},
        {.source = "surround.mkv", .format = "avi", .channels = 2},
        {.source = "surround.mkv", .format = "wmv", .channels = 2},
        // A phone's 90 kHz rate, stored as the rate it is.
        {.source = "phone-90k.mp4", .format = "mkv", .rate = "30/1"},
        {.source = "phone-90k.mp4", .format = "avi", .rate = "30/1"},
        // Of unknown length: converted whole, no early end.
        {.source = "unknown-length.mp4", .format = "mkv", .size = "160x120", .rate = "25/1"},
        // Sound that starts after the picture starts there.
        {.source = "late-sound.mkv", .format = "mkv", .soundStart = 0.3},
        {.source = "late-sound.mkv", .format = "mp4", .soundStart = 0.3},
        // A slanted rotation is left as stored, and said; so are damaged frames.
        {.source = "rot45.mp4", .format = "mkv", .size = "320x180", .said = "not a quarter turn"},
        {.source = "bit-flipped.mp4", .format = "mkv", .said = "damaged frames"},
        {.source = "codec-change.ts", .format = "mkv", .said = "damaged frames"},
        // Sound of 1 Hz is refused with a sentence, not written as nothing.
        {.source = "1hz.mkv", .format = "mp4", .exit = 1, .said = "below 100 Hz"},
    };
    // clang-format on

    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.source) + " to " + r.format +
                     (r.video ? std::string(" with ") + r.video : "") +
                     (r.audio ? std::string(" with ") + r.audio : ""));
        Choose(engine::CompressorCategory::Video, r.format, r.video);
        Choose(engine::CompressorCategory::Audio, r.format, r.audio);
        const fs::path out = dir / (std::to_string(++n) + "." + r.format);
        const fs::path err = dir / "stderr.txt";
        EXPECT_EQ(fixtures::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " +
                                       ShellQuote(QUORVEL_PROGRAM) + " --convert " +
                                       ShellQuote(Source(r.source).string()) + " -o " +
                                       ShellQuote(out.string()) + " --format " + r.format + " 2>" +
                                       ShellQuote(err.string())),
                  r.exit)
            << testenv::ReadFile(err);
        EXPECT_NE(testenv::ReadFile(err).find(r.said), std::string::npos) << testenv::ReadFile(err);
        if (r.exit != 0) continue;
        auto video = fixtures::StreamFacts(out, "v:0", kEntries);
        EXPECT_EQ(video["side_data_type"].find("Display Matrix"), std::string::npos)
            << "no rotation left";
        // An empty expectation is not checked.
        auto expect = [](const std::string& got, const char* want) {
            if (*want) {
                EXPECT_EQ(got, want);
            }
        };
        expect(video["width"] + "x" + video["height"], r.size);
        expect(video["sample_aspect_ratio"], r.aspect);
        expect(video["pix_fmt"], r.pixels);
        expect(video["color_space"], r.matrix);
        expect(video["color_transfer"], r.transfer);
        EXPECT_EQ(video["side_data_type"].find("Mastering display") != std::string::npos,
                  r.mastering);
        expect(video["r_frame_rate"], r.rate);
        EXPECT_TRUE(video["field_order"].empty() || video["field_order"] == "progressive" ||
                    video["field_order"] == "unknown")
            << video["field_order"];
        auto sound = fixtures::StreamFacts(out, "a:0", kEntries);
        expect(sound["channels"], r.channels ? std::to_string(r.channels).c_str() : "");
        if (r.soundStart >= 0) {
            EXPECT_NEAR(
                std::atof(sound["start_time"].c_str()) - std::atof(video["start_time"].c_str()),
                r.soundStart, 0.05);
        }
        if (std::string(r.source).starts_with("bt")) {
            const auto rgb =
                ShownColour(out, video["color_space"], std::atoi(video["height"].c_str()));
            EXPECT_NEAR(rgb[0], 176, 6);
            EXPECT_NEAR(rgb[1], 64, 6);
            EXPECT_NEAR(rgb[2], 32, 6);
        }
    }
}

}  // namespace
