// The program's command line run as a child process with no display at all:
// exit codes, messages, progress lines and the files it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");  // the child's profile name
    }

    // Runs the program without any display or platform plugin choice, so that
    // any window it tried to make would fail the run.
    // `environment`: "NAME=value " pairs to set for the program.
    Outcome Run(const std::string& arguments, const std::string& environment = {}) {
        const fs::path err = dir / "stderr.txt";
        Outcome o;
        o.code = fixtures::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                          environment +
                                          ShellQuote(QUORVEL_PROGRAM) + " " + arguments + " 2>" +
                                          ShellQuote(err.string()),
                                      &o.out);
        o.err = testenv::ReadFile(err);
        return o;
    }

    std::string Copy(const fs::path& from, const std::string& name) {
        fs::copy_file(from, dir / name, fs::copy_options::overwrite_existing);
        return (dir / name).string();
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir dir;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The progress lines of a non-terminal run: "NNN %  m:ss left  S.Sx".
std::vector<int> ProgressPercents(const std::string& err) {
    std::vector<int> percents;
    for (const std::string& line : Lines(err))
        if (line.size() > 5 && line.find(" %  ") == 3 && line.find(" left  ") != std::string::npos)
            percents.push_back(std::stoi(line.substr(0, 3)));
    return percents;
}

TEST_F(CommandLineTest, HelpAndVersionPrintWithoutADisplay) {
    const Outcome help = Run("--help");
    EXPECT_EQ(help.code, 0) << help.err;
    for (const char* part : {"--convert <INPUT>", "--output <OUTPUT>", "--format <FORMAT>",
                             "--overwrite", "--list-compressors", "Exit codes"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    const Outcome version = Run("--version");
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, std::string("quorvel-converter ") + QUORVEL_VERSION + "\n");
}

TEST_F(CommandLineTest, MistakesOnTheLineExitWithTwoAndTouchNothing) {
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    const std::string out = (dir / "out.avi").string();
    for (const std::string& arguments : std::vector<std::string>{
             "--no-such-option", "--convert " + input + " --format mov -o " + out,
             "--convert " + input + " --jobs 0 -o " + out, "--jobs 2 " + input,
             "--convert " + input + " --list-compressors", "--output " + out,
             "--list-compressors divx", "--convert", "a.mp4 b.mp4", "--size 5M",
             "--convert " + input + " --size 5X", "--convert " + input + " --size 5M -o " + out,
             "--convert " + input + " --size 5M --video copy -o " + out + ".mp4"}) {
        const Outcome o = Run(arguments);
        EXPECT_EQ(o.code, 2) << arguments;
        EXPECT_NE(o.err.find("--help"), std::string::npos) << arguments << ": " << o.err;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CommandLineTest, ConvertsWithOneProgressLinePerTenthWhenNotOnATerminal) {
    const std::string input = Copy(fixtures::LongH264AacMp4(), "long.mp4");
    const std::string out = (dir / "long.wmv").string();
    const Outcome o = Run("--convert " + ShellQuote(input) + " -o " + ShellQuote(out));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err.find('\r'), std::string::npos);

    const std::vector<int> percents = ProgressPercents(o.err);
    ASSERT_FALSE(percents.empty()) << o.err;
    EXPECT_LE(percents.size(), 11u);
    EXPECT_EQ(percents.back(), 100);
    for (std::size_t i = 1; i < percents.size(); ++i)
        EXPECT_GT(percents[i] / 10, percents[i - 1] / 10) << o.err;  // one line per tenth

    const fixtures::ProbeResult probe = fixtures::ProbeFile(out);
    ASSERT_TRUE(probe.ok);
    EXPECT_EQ(probe.formatName, "asf");
    ASSERT_NE(probe.Find("video"), nullptr);
    EXPECT_EQ(probe.Find("video")->codec, "wmv2");
    EXPECT_NEAR(probe.duration, 10.0, 0.5);
}

TEST_F(CommandLineTest, TheFormatComesFromTheOptionOrTheOutputsExtension) {
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    // The extension names the format, in any case; the file gets the format's own.
    const Outcome mkv = Run("--convert " + input + " -o " + (dir / "a.MKV").string());
    ASSERT_EQ(mkv.code, 0) << mkv.err;
    EXPECT_EQ(fixtures::ProbeFile(dir / "a.mkv").formatName, "matroska,webm");

    // --format wins and the output takes its extension, as in the Options dialog.
    const Outcome webm = Run("--convert " + input + " --format webm -o " + (dir / "b.mkv").string());
    ASSERT_EQ(webm.code, 0) << webm.err;
    EXPECT_FALSE(fs::exists(dir / "b.mkv"));
    const fixtures::ProbeResult probe = fixtures::ProbeFile(dir / "b.webm");
    ASSERT_TRUE(probe.ok);
    ASSERT_NE(probe.Find("video"), nullptr);
    EXPECT_EQ(probe.Find("video")->codec, "vp8");
    EXPECT_EQ(probe.Find("video")->width, 718);
    ASSERT_NE(probe.Find("audio"), nullptr);
    EXPECT_EQ(probe.Find("audio")->codec, "vorbis");
}

TEST_F(CommandLineTest, WithoutOutputTheStoredSettingsDecide) {
    settings::Profile().WriteInt("Settings", "nOuptputFormat", 3);
    settings::Profile().WriteString("Settings", "OutputName", (dir / "stored.avi").string());
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    const Outcome o = Run("--convert " + input);
    ASSERT_EQ(o.code, 0) << o.err;
    const fixtures::ProbeResult probe = fixtures::ProbeFile(dir / "stored.asf");
    ASSERT_TRUE(probe.ok) << o.err;
    EXPECT_EQ(probe.formatName, "asf");
    EXPECT_FALSE(fs::exists(dir / "stored.avi"));
}

TEST_F(CommandLineTest, AnExistingOutputIsKeptUnlessOverwriteIsGiven) {
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    const fs::path out = dir / "taken.avi";
    testenv::WriteFile(out, "keep me");

    const Outcome refused = Run("--convert " + input + " -o " + out.string());
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(testenv::ReadFile(out), "keep me");

    const Outcome replaced = Run("--convert " + input + " -o " + out.string() + " --overwrite");
    ASSERT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(fixtures::ProbeFile(out).formatName, "avi");
}

TEST_F(CommandLineTest, TheSourceIsNeverTheOutputWhateverItsName) {
    const std::string input = Copy(fixtures::Mpeg4Mp3Avi(), "source.avi");
    const std::string original = testenv::ReadFile(input);
    fs::create_symlink(input, dir / "link.avi");
    fs::create_hard_link(input, dir / "hard.avi");
    fs::create_directories(dir / "sub");
    for (const std::string& out : std::vector<std::string>{input, (dir / "link.avi").string(), (dir / "hard.avi").string(),
                                   (dir / "sub" / ".." / "source.avi").string()}) {
        const Outcome o = Run("--convert " + input + " -o " + out + " --overwrite");
        EXPECT_EQ(o.code, 1) << out;
        EXPECT_NE(o.err.find("source file itself"), std::string::npos) << o.err;
    }
    EXPECT_EQ(testenv::ReadFile(input), original);
    EXPECT_TRUE(fs::is_symlink(dir / "link.avi"));
}

TEST_F(CommandLineTest, FailuresExitWithOneAndSayWhy) {
    const fs::path out = dir / "out.avi";
    struct Case {
        std::string input;
        std::string reason;
    };
    fs::create_directories(dir / "folder.mp4");
    ASSERT_EQ(fixtures::RunCommand("mkfifo " + ShellQuote((dir / "pipe.mp4").string())), 0);
    const std::vector<Case> cases = {
        {(dir / "missing.mp4").string(), "not found"},
        {(dir / "folder.mp4").string(), "not a regular file"},
        {(dir / "pipe.mp4").string(), "not a regular file"},  // refused at once, never opened
        {fixtures::RandomBytes().string(), "not a media file"},
    };
    for (const Case& c : cases) {
        const Outcome o = Run("--convert " + ShellQuote(c.input) + " -o " + out.string());
        EXPECT_EQ(o.code, 1) << c.input;
        EXPECT_NE(o.err.find(c.reason), std::string::npos) << o.err;
        EXPECT_FALSE(fs::exists(out)) << c.input;
    }
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    const Outcome nowhere = Run("--convert " + input + " -o " + (dir / "no" / "such" / "x.avi").string());
    EXPECT_EQ(nowhere.code, 1) << nowhere.err;
    EXPECT_NE(nowhere.err.find("quorvel-converter: "), std::string::npos) << nowhere.err;
}

TEST_F(CommandLineTest, ASourceThatEndsEarlyExitsWithFourAndKeepsTheOutput) {
    const std::string input = Copy(fixtures::EndsEarlyMp4(), "cut.mp4");
    const fs::path out = dir / "cut.mkv";
    const Outcome o = Run("--convert " + input + " -o " + out.string());
    EXPECT_EQ(o.code, 4) << o.err;
    EXPECT_NE(o.err.find("of 10.0 s; " + out.string() + " is kept."), std::string::npos) << o.err;
    const std::vector<int> percents = ProgressPercents(o.err);
    ASSERT_FALSE(percents.empty());
    EXPECT_LT(percents.back(), 60);  // where it ended, not 100
    const fixtures::ProbeResult probe = fixtures::ProbeFile(out);
    ASSERT_TRUE(probe.ok);
    EXPECT_GT(probe.duration, 2.0);
    EXPECT_LT(probe.duration, 6.0);
}

TEST_F(CommandLineTest, AFailedRunLeavesAnOlderOutputAsItWas) {
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    const fs::path out = dir / "old.webm";
    testenv::WriteFile(out, "an older output");
    // WebM cannot carry what the stored compressor makes: the run fails.
    int mpeg4 = -1;
    ASSERT_TRUE(engine::FindPreferredCompressor(engine::CompressorCategory::Video,
                                                "ffdshow video encoder", mpeg4));
    settings::Profile().WriteInt("Settings", "nOuptputFormat", 4);
    settings::Profile().WriteInt("DexVideoCompress", "WebmCompressorNumber", mpeg4);
    const Outcome o = Run("--convert " + input + " -o " + out.string() + " --overwrite");
    EXPECT_NE(o.err.find("cannot carry"), std::string::npos) << o.err;
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_EQ(testenv::ReadFile(out), "an older output");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 3u);  // the source, the old output and the captured stderr: nothing left beside
}

// A stop by signal keeps the part converted so far, and never in place of an
// older output: with --overwrite that one stays and the part goes beside it.
TEST_F(CommandLineTest, AStopRequestEndsTheRunAndKeepsWhatWasWritten) {
    const std::string input = Copy(fixtures::LongH264AacMp4(), "long.mp4");
    const fs::path out = dir / "part.webm", err = dir / "stderr.txt";
    for (const bool older : {false, true}) {
        if (older) testenv::WriteFile(out, "older");
        // Stopped as soon as the first progress line shows (WebM runs slowest).
        const std::string script =
            "env -u DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " + ShellQuote(input) +
            " -o " + ShellQuote(out.string()) + (older ? " --overwrite" : "") + " 2>" +
            ShellQuote(err.string()) + " & pid=$!; for i in $(seq 200); do grep -q ' left ' " +
            ShellQuote(err.string()) + " && break; sleep 0.05; done; kill -TERM $pid; wait $pid";
        const int code = fixtures::RunCommand("bash -c " + ShellQuote(script));
        const std::string text = testenv::ReadFile(err);
        const fs::path part = older ? dir / "part.partial.webm" : out;
        EXPECT_EQ(code, 1) << text;
        EXPECT_NE(text.find("the part converted so far is in " + part.string()), std::string::npos)
            << text;
        const fixtures::ProbeResult probe = fixtures::ProbeFile(part);
        ASSERT_TRUE(probe.ok) << text;
        EXPECT_LT(probe.duration, 9.5);
        EXPECT_EQ(older, testenv::ReadFile(out) == "older");
        for (const auto& entry : fs::directory_iterator(dir.path()))  // no hidden run file left
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

TEST_F(CommandLineTest, ASizeTheSoundFillsIsRefusedAndAStoppedSizedRunLeavesNoFile) {
    // A minute of sound takes more than a megabyte on its own.
    const std::string minute = Copy(
        fixtures::MakeWith("minute.mp4", "-f lavfi -i testsrc=s=160x120:r=5:d=60 -f lavfi -i "
                                         "sine=duration=60 -c:v libx264 -preset ultrafast -c:a aac"),
        "minute.mp4");
    const Outcome refused = Run("--convert " + minute + " --size 1M -o " + (dir / "a.mp4").string());
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("A file of 1 MB cannot be made"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("The smallest size that could work is 1."), std::string::npos);

    const std::string input = Copy(fixtures::LongH264AacMp4(), "long.mp4");
    const fs::path out = dir / "sized.mp4", err = dir / "stderr.txt";
    const std::string script =
        "env -u DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " + ShellQuote(input) +
        " --size 1M -o " + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) +
        " & pid=$!; for i in $(seq 200); do grep -q ' left ' " + ShellQuote(err.string()) +
        " && break; sleep 0.05; done; kill -TERM $pid; wait $pid";
    EXPECT_EQ(fixtures::RunCommand("bash -c " + ShellQuote(script)), 1);
    EXPECT_NE(testenv::ReadFile(err).find("stopped; Nothing was kept"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(dir.path()))  // no hidden run file left
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(dir / "a.mp4"));
}

// Runs that meet at one output lose nothing: two at once without --overwrite each
// keep their file, the later saying where (exit 3); a run killed mid-way leaves a
// part file that the next run to that output removes.
TEST_F(CommandLineTest, RunsThatMeetAtOneOutputLoseNothingAndLeaveNothing) {
    const fs::path out = dir / "both.webm";
    const std::string run = "env -u DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " +
                            ShellQuote(Copy(fixtures::LongH264AacMp4(), "long.mp4")) + " -o " +
                            ShellQuote(out.string());
    std::string codes;
    const std::string a = ShellQuote((dir / "a").string()), b = ShellQuote((dir / "b").string());
    fixtures::RunCommand("bash -c " + ShellQuote(run + " 2>" + a + " & a=$!; " + run + " 2>" + b +
                                                 "; echo $?; wait $a; echo $?"),
                         &codes);
    EXPECT_TRUE(codes == "0\n3\n" || codes == "3\n0\n") << codes;
    EXPECT_TRUE(fixtures::ProbeFile(out).ok && fixtures::ProbeFile(dir / "both (2).webm").ok);
    const std::string said = testenv::ReadFile(dir / "a") + testenv::ReadFile(dir / "b");
    EXPECT_NE(said.find(" appeared during the conversion"), std::string::npos) << said;

    auto parts = [&] {
        return std::count_if(fs::directory_iterator(dir.path()), {}, [](const auto& entry) {
            return entry.path().filename().string().starts_with(".both.webm.part-");
        });
    };
    fixtures::RunCommand(
        "bash -c " +
        ShellQuote(run + " --overwrite 2>/dev/null & p=$!; for i in $(seq 200); do ls -a " +
                   ShellQuote(dir.path().string()) +
                   " | grep -q part- && break; sleep 0.05; done; kill -9 $p"));
    EXPECT_EQ(parts(), 1);
    const std::string input = Copy(fixtures::H264AacMp4(), "in.mp4");
    EXPECT_EQ(Run("--convert " + input + " -o " + out.string() + " --overwrite").code, 0);
    EXPECT_EQ(parts(), 0);
}

// Names are bytes: one that is not UTF-8 is read and written as given, one that
// nearly fills the file system's limit is written, one past it refused in words.
TEST_F(CommandLineTest, OddNamesAreReadAndWrittenAsTheirOwnBytes) {
    const std::string input = Copy(fixtures::H264AacMp4(), "bad\xff\xfe.mp4");
    for (const auto& [name, code] :
         std::vector<std::pair<std::string, int>>{{"out\xe9.mkv", 0},
                                                  {std::string(246, 'n') + ".mkv", 0},
                                                  {std::string(252, 'n') + ".mkv", 1}}) {
        const Outcome o =
            Run("--convert " + ShellQuote(input) + " -o " + ShellQuote((dir / name).string()));
        EXPECT_EQ(o.code, code) << o.err;
        EXPECT_NE(o.err.find(code ? "name is too long" : "Done: "), std::string::npos) << o.err;
        EXPECT_EQ(fixtures::ProbeFile(dir / name).ok, code == 0) << name.size();
    }
}

TEST_F(CommandLineTest, ListsTheCompressorsOfAFormatWithThePreferredMarked) {
    auto marked = [](const std::string& out) {
        std::vector<std::string> lines;
        for (const std::string& line : Lines(out))
            if (line.rfind("* ", 0) == 0) lines.push_back(line);
        return lines;
    };
    const Outcome avi = Run("--list-compressors avi");
    ASSERT_EQ(avi.code, 0) << avi.err;
    EXPECT_EQ(marked(avi.out), (std::vector<std::string>{"* video: ffdshow video encoder",
                                                         "* audio: Microsoft ADPCM"}));
    for (const std::string& line : Lines(avi.out))
        EXPECT_TRUE(line.rfind("* video: ", 0) == 0 || line.rfind("  video: ", 0) == 0 ||
                    line.rfind("* audio: ", 0) == 0 || line.rfind("  audio: ", 0) == 0)
            << line;

    const Outcome webm = Run("--list-compressors WEBM");
    ASSERT_EQ(webm.code, 0) << webm.err;
    EXPECT_EQ(marked(webm.out), (std::vector<std::string>{"* video: WebM VP8 Encoder Filter",
                                                          "* audio: Xiph.Org Vorbis Encoder"}));

    // The Windows Media writer takes no compressor of ours.
    const Outcome wmv = Run("--list-compressors wmv");
    EXPECT_EQ(wmv.code, 0);
    EXPECT_EQ(wmv.out, "");
    EXPECT_NE(wmv.err.find("Windows Media writer"), std::string::npos);
}

// FFmpeg's own words come below the step's text; its log reaches the terminal
// only when QUORVEL_MEDIA_LOG asks for it.
TEST_F(CommandLineTest, AnEncoderRefusalSaysWhyBelowAndTheLogStaysQuietUnlessAsked) {
    const std::string input = Copy(fixtures::TooWideForMpeg4(), "wide.mkv");
    const fs::path out = dir / "wide.avi";
    const std::string reason = "dimensions too large for MPEG-4";
    const Outcome quiet = Run("--convert " + input + " -o " + out.string());
    EXPECT_EQ(quiet.code, 1) << quiet.err;
    const std::vector<std::string> lines = Lines(quiet.err);
    auto stepLine = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("the conversion did not start: ") != std::string::npos;
    });
    ASSERT_NE(stepLine, lines.end()) << quiet.err;
    ASSERT_NE(stepLine + 1, lines.end()) << quiet.err;
    EXPECT_EQ(stepLine[1], reason);
    EXPECT_EQ(quiet.err.find("@ 0x"), std::string::npos) << "no FFmpeg log: " << quiet.err;
    EXPECT_FALSE(fs::exists(out));

    const Outcome logged =
        Run("--convert " + input + " -o " + out.string(), "QUORVEL_MEDIA_LOG=yes ");
    EXPECT_EQ(logged.code, 1);
    EXPECT_NE(logged.err.find("[mpeg4 @ 0x"), std::string::npos) << logged.err;
    EXPECT_NE(logged.err.find("] " + reason), std::string::npos) << logged.err;
}

}  // namespace

// Several files: one folder (made when missing), names after the sources and
// never twice the same, a damaged one failing alone, a summary; run again, every
// output is in the way and each file is skipped with nothing touched.
TEST_F(CommandLineTest, SeveralFilesGoIntoOneFolderUnderTheirOwnNames) {
    const std::string a = Copy(fixtures::H264AacMp4(), "a.mp4");
    const std::string twin = Copy(fixtures::Mpeg4Mp3Avi(), "a.avi");
    const std::string b = Copy(fixtures::Vp8VorbisWebm(), "b.webm");
    const std::string bad = Copy(fixtures::RandomBytes(), "bad.mp4");
    const fs::path folder = dir / "new" / "folder";
    const std::string line = "--convert " + a + " " + bad + " " + twin + " " + b +
                             " --format mkv --jobs 2 -o " + folder.string();
    const Outcome first = Run(line);
    EXPECT_EQ(first.code, 1) << first.err;
    EXPECT_NE(first.err.find("3 done, 1 failed: bad.mp4: not a media file"), std::string::npos)
        << first.err;
    for (const char* name : {"a.mkv", "a (2).mkv", "b.mkv"}) {
        const fixtures::ProbeResult probe = fixtures::ProbeFile(folder / name);
        EXPECT_TRUE(probe.ok && probe.formatName == "matroska,webm") << name;
    }
    EXPECT_FALSE(fs::exists(folder / "bad.mkv"));

    const std::string before = testenv::ReadFile(folder / "b.mkv");
    const Outcome again = Run("--convert " + a + " " + b + " --format mkv -o " + folder.string());
    EXPECT_EQ(again.code, 3) << again.err;
    EXPECT_NE(again.err.find("2 skipped: a.mp4: a.mkv exists; b.webm: b.mkv exists"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(testenv::ReadFile(folder / "b.mkv"), before);

    // A source that ends early is kept and said, and its exit code is the run's.
    const std::string cut = Copy(fixtures::EndsEarlyMp4(), "cut.mp4");
    const Outcome early =
        Run("--convert " + a + " " + cut + " --format mkv -o " + (dir / "early").string());
    EXPECT_EQ(early.code, 4) << early.err;
    EXPECT_NE(early.err.find("1 done, 1 ended early: cut.mp4: "), std::string::npos) << early.err;
    EXPECT_TRUE(fixtures::ProbeFile(dir / "early" / "cut.mkv").ok);
}

// Ctrl+C stops the running file as Stop does and starts no other.
TEST_F(CommandLineTest, AnInterruptStopsTheRunningFileAndStartsNoOther) {
    const std::string first = Copy(fixtures::LongH264AacMp4(), "first.mp4");
    const std::string second = Copy(fixtures::H264AacMp4(), "second.mp4");
    const fs::path err = dir / "stderr.txt";
    const std::string script =
        "env -u DISPLAY " + ShellQuote(QUORVEL_PROGRAM) + " --convert " + first + " " + second +
        " --format webm -o " + ShellQuote((dir / "out").string()) + " 2>" +
        ShellQuote(err.string()) + " & pid=$!; for i in $(seq 200); do grep -q ' left ' " +
        ShellQuote(err.string()) + " && break; sleep 0.05; done; kill -INT $pid; wait $pid";
    EXPECT_EQ(fixtures::RunCommand("bash -c " + ShellQuote(script)), 1);
    const std::string text = testenv::ReadFile(err);
    EXPECT_NE(text.find("1 stopped, 1 not started"), std::string::npos) << text;
    EXPECT_LT(fixtures::ProbeFile(dir / "out" / "first.webm").duration, 9.5);
    EXPECT_FALSE(fs::exists(dir / "out" / "second.webm"));
}
