// Audio compressor settings kept from the Settings dialog reach the encoder of a
// command-line run, and a kept value the encoder does not take never stops one.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Dialog.h"
#include "platform/vfw/Vfw.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

class AudioSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
        // Small pictures and loud pink noise: the audio's bitrate decides the size.
        clip = (dir / "noise.mkv").string();
        ASSERT_EQ(fixtures::RunCommand(
                      "ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=10:duration=4 "
                      "-f lavfi -i 'anoisesrc=d=4:c=pink:a=0.5:r=44100:seed=7,aformat=channel_layouts=stereo' "
                      "-c:v mpeg4 -c:a flac -shortest " + ShellQuote(clip)),
                  0);
    }

    // Stores one setting of an audio encoder's driver, as its dialog does.
    void Keep(const std::string& encoder, const std::string& name, const std::string& value) {
        registry::Store(registry.file())
            .Set(vfw::DriverStateKey(encoder, vfw::ICTYPE_AUDIO), name, registry::Value::String(value));
    }

    // Converts the clip; the exit code, with standard error in `err`.
    int Convert(const std::string& output, const std::string& format, std::string& err) {
        const fs::path errFile = dir / "stderr.txt";
        const int code = fixtures::RunCommand(
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + ShellQuote(QUORVEL_PROGRAM) +
            " --convert " + ShellQuote(clip) + " --output " + ShellQuote(output) + " --format " +
            format + " --overwrite 2>" + ShellQuote(errFile.string()));
        err = testenv::ReadFile(errFile);
        return code;
    }

    // The audio stream's bitrate in kbit/s, from the sizes of its packets.
    static double AudioKbps(const std::string& file) {
        std::string out;
        fixtures::RunCommand("ffprobe -v error -select_streams a:0 -show_entries packet=size "
                             "-of csv=p=0 " + ShellQuote(file),
                             &out);
        std::istringstream in(out);
        double bytes = 0;
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) bytes += std::stod(line);
        const auto probe = fixtures::ProbeFile(file);
        return probe.duration > 0 ? bytes * 8 / probe.duration / 1000 : 0;
    }

    double ConvertedKbps(const std::string& name, const std::string& format) {
        const std::string output = (dir / name).string();
        std::string err;
        EXPECT_EQ(Convert(output, format, err), 0) << err;
        const double kbps = AudioKbps(output);
        std::printf("%s: audio %.1f kbit/s\n", name.c_str(), kbps);
        RecordProperty(name, std::to_string(kbps));
        return kbps;
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
    std::string clip;
};

TEST_F(AudioSettingsTest, AKeptAacBitrateDecidesTheOutputsBitrate) {
    Keep("aac", "b", "64000");
    const double low = ConvertedKbps("aac-64.mp4", "mp4");
    Keep("aac", "b", "256000");
    const double high = ConvertedKbps("aac-256.mp4", "mp4");
    EXPECT_NEAR(low, 64, 16);
    EXPECT_GT(high, 2.5 * low);
}

TEST_F(AudioSettingsTest, AKeptVorbisQualityDecidesTheOutputsBitrate) {
    Keep("libvorbis", "global_quality", std::to_string(1 * 118));
    const double low = ConvertedKbps("vorbis-q1.webm", "webm");
    Keep("libvorbis", "global_quality", std::to_string(8 * 118));
    const double high = ConvertedKbps("vorbis-q8.webm", "webm");
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 2 * low);
}

TEST_F(AudioSettingsTest, AKeptValueOutsideTheRangeIsNotedAndTheRunGoesOn) {
    Keep("aac", "b", "99999999");
    const std::string output = (dir / "aac-out-of-range.mp4").string();
    std::string err;
    ASSERT_EQ(Convert(output, "mp4", err), 0) << err;
    EXPECT_NE(err.find("note: aac: ignoring the stored b=99999999"), std::string::npos) << err;
    // The run's own 160 kbit/s instead.
    EXPECT_NEAR(AudioKbps(output), 160, 40);
}

}  // namespace
