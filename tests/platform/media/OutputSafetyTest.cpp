// What a run may and may not do to the files around it: the source is never
// written, an older output survives a failed run, nothing is left behind, and
// a source that cannot be read to its end says so.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <set>
#include <thread>

#include "MediaTestSupport.h"
#include "TestEnv.h"

namespace {

using namespace media;
using namespace mediatest;
namespace fs = std::filesystem;

// Names in `dir` other than the expected ones: hidden part files a run forgot.
std::vector<std::string> Leftovers(const fs::path& dir, const std::set<std::string>& expected) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (!expected.count(entry.path().filename().string()))
            names.push_back(entry.path().filename().string());
    return names;
}

class OutputSafetyTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg/ffprobe not installed";
    }
    HRESULT Build(const fs::path& source, const std::string& output, Conversion& conv,
                  const Guid& writer = CLSID_MatroskaMux) {
        return BuildConversion(source.string(), writer, output,
                               BindCompressor(CLSID_VideoCompressorCategory,
                                              kFfdshowVideoEncoderName),
                               BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName),
                               conv);
    }
    testenv::TempDir dir;
};

TEST_F(OutputSafetyTest, TheSourceIsNeverTheOutputHoweverItIsSpelled) {
    const fs::path source = dir / "clip.mp4";
    fs::copy_file(fixtures::H264AacMp4(), source);
    fs::create_symlink(source, dir / "link.mkv");
    const std::string original = testenv::ReadFile(source);
    const std::string spellings[] = {
        source.string(),
        (dir.path() / ".." / dir.path().filename() / "." / "clip.mp4").string(),
        (dir / "link.mkv").string(),
    };
    for (const auto& output : spellings) {
        SCOPED_TRACE(output);
        Conversion conv;
        ASSERT_EQ(Build(source, output, conv), S_OK);
        std::shared_ptr<MediaControl> control;
        ASSERT_EQ(conv.graph->QueryMediaControl(control), S_OK);
        EXPECT_EQ(control->Run(), QV_E_OUTPUT_IS_SOURCE);
        EXPECT_EQ(testenv::ReadFile(source), original);
    }
    EXPECT_TRUE(Leftovers(dir.path(), {"clip.mp4", "link.mkv"}).empty());
}

TEST_F(OutputSafetyTest, AFolderIsNeverAnOutput) {
    fs::create_directory(dir / "folder.mkv");
    for (const std::string& output : {(dir / "folder.mkv").string(), dir.path().string() + "/"}) {
        Conversion conv;
        ASSERT_EQ(Build(fixtures::H264AacMp4(), output, conv), S_OK);
        std::shared_ptr<MediaControl> control;
        ASSERT_EQ(conv.graph->QueryMediaControl(control), S_OK);
        EXPECT_EQ(control->Run(), QV_E_OUTPUT_IS_FOLDER);
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder.mkv"));
    EXPECT_TRUE(Leftovers(dir.path(), {"folder.mkv"}).empty());
}

TEST_F(OutputSafetyTest, AFailedRunLeavesTheOlderOutputByteForByte) {
    const std::string output = (dir / "old.mkv").string();
    testenv::WriteFile(output, "an older conversion");
    Conversion conv;
    ASSERT_EQ(Build(fixtures::H264AacMp4(), output, conv), S_OK);
    media::testing::ForceFailure(media::testing::Operation::Streaming, HRESULT_DISK_FULL);
    HRESULT hr = S_OK;
    EXPECT_EQ(RunToEnd(*conv.graph, &hr), EC_ERRORABORT);
    EXPECT_EQ(hr, HRESULT_DISK_FULL);
    EXPECT_EQ(testenv::ReadFile(output), "an older conversion");
    EXPECT_TRUE(Leftovers(dir.path(), {"old.mkv"}).empty());
}

// What the person made of the output stays: a link keeps pointing at the file it
// names, which is replaced, and the replacing file has the old one's permissions.
// A new file is created as any new file of the user's: the umask decides.
TEST_F(OutputSafetyTest, AFinishedRunReplacesTheOlderOutputAndLeavesNothingElse) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    testenv::WriteFile(dir / "target.mkv", "an older conversion");
    fs::create_symlink("target.mkv", dir / "link.mkv");
    for (const auto& [name, mode] : std::vector<std::pair<std::string, mode_t>>{
             {"old.mkv", 0640}, {"link.mkv", 0600}, {"new.mkv", 0666 & ~mask}}) {
        const fs::path output = dir / name, file = dir / (name == "link.mkv" ? "target.mkv" : name);
        if (name == "old.mkv") testenv::WriteFile(output, "an older conversion");
        if (fs::exists(file)) fs::permissions(file, static_cast<fs::perms>(mode));
        Conversion conv;
        ASSERT_EQ(Build(fixtures::H264AacMp4(), output.string(), conv), S_OK);
        HRESULT hr = E_FAIL;
        EXPECT_EQ(RunToEnd(*conv.graph, &hr), EC_COMPLETE);
        EXPECT_EQ(hr, S_OK);
        EXPECT_TRUE(fixtures::ProbeFile(file).ok) << name;
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode) << name;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.mkv"));
    EXPECT_TRUE(Leftovers(dir.path(), {"old.mkv", "link.mkv", "target.mkv", "new.mkv"}).empty());
}

TEST_F(OutputSafetyTest, AStoppedRunKeepsWhatItWrote) {
    const std::string output = (dir / "stopped.mkv").string();
    Conversion conv;
    ASSERT_EQ(Build(fixtures::LongH264AacMp4(), output, conv), S_OK);
    std::shared_ptr<MediaControl> control;
    ASSERT_EQ(conv.graph->QueryMediaControl(control), S_OK);
    std::shared_ptr<MediaSeeking> seeking;
    ASSERT_EQ(conv.graph->QueryMediaSeeking(seeking), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    std::int64_t written = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (written < 10'000'000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seeking->GetCurrentPosition(written);
    }
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_TRUE(fixtures::ProbeFile(output).ok);
    EXPECT_TRUE(Leftovers(dir.path(), {"stopped.mkv"}).empty());
}

// Another user who may write the folder swaps a link in for the hidden file while
// a run writes it: nothing is written through it (MP4 even reads its file back at
// the end), and it is never moved into place.
TEST_F(OutputSafetyTest, ALinkSwappedInForThePartFileIsNeitherWrittenThroughNorMoved) {
    const fs::path victim = dir / "victim.txt", output = dir / "swap.mp4";
    testenv::WriteFile(victim, "another file of the user's");
    Conversion conv;
    const auto mpeg4 = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    const auto aac = BindCompressor(CLSID_AudioCompressorCategory, "AAC (Advanced Audio Coding)");
    ASSERT_EQ(BuildConversion(fixtures::LongH264AacMp4().string(), CLSID_Mp4Mux, output.string(),
                              mpeg4, aac, conv),
              S_OK);
    HRESULT hr = S_OK;
    auto run = std::async(std::launch::async, [&] { return RunToEnd(*conv.graph, &hr); });
    std::vector<std::string> made;
    ASSERT_TRUE(testenv::WaitUntil(
        [&] { return !(made = Leftovers(dir.path(), {"victim.txt"})).empty(); }, 10000));
    const fs::path part = dir / made.front();
    fs::create_symlink(victim, dir / "planted");
    fs::rename(dir / "planted", part);
    EXPECT_EQ(run.get(), EC_ERRORABORT);
    EXPECT_EQ(hr, QV_E_OUTPUT_REPLACED);
    EXPECT_EQ(testenv::ReadFile(victim), "another file of the user's");
    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(fs::is_symlink(part)) << "what was planted is not ours to remove";
}

TEST_F(OutputSafetyTest, PipesDevicesAndFoldersAreRefusedAtOnce) {
    const fs::path fifo = dir / "pipe.mp4";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo.string(), std::string("/dev/zero"), dir.path().string()}) {
        SCOPED_TRACE(path);
        // A blocked open would hang here: run it where the test can give up on it.
        auto render = std::async(std::launch::async, [path] {
            std::shared_ptr<FilterGraph> graph;
            CreateFilterGraph(graph);
            return graph->RenderFile(path);
        });
        ASSERT_EQ(render.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(render.get(), QV_E_NOT_REGULAR_FILE);
        EXPECT_EQ(CheckSourceFile(path), QV_E_NOT_REGULAR_FILE);
    }
    EXPECT_EQ(CheckSourceFile((dir / "missing.mp4").string()), HRESULT_FILE_NOT_FOUND);
    EXPECT_EQ(CheckSourceFile(fixtures::H264AacMp4().string()), S_OK);
}

TEST_F(OutputSafetyTest, ASourceThatEndsEarlyCompletesAndSaysWhereItStopped) {
    const std::string output = (dir / "early.mkv").string();
    Conversion conv;
    ASSERT_EQ(Build(fixtures::EndsEarlyMp4(), output, conv), S_OK);
    HRESULT result = S_OK;
    LONG_PTR reached = 0;
    EXPECT_EQ(RunToEnd(*conv.graph, &result, 60000, &reached), EC_COMPLETE);
    EXPECT_EQ(result, QV_S_SOURCE_ENDED_EARLY);
    // About 40 % of the 10 s were there to read.
    EXPECT_GT(reached, 20'000'000);
    EXPECT_LT(reached, 80'000'000);
    const auto probe = fixtures::ProbeFile(output);
    ASSERT_TRUE(probe.ok);
    EXPECT_NEAR(probe.duration, reached / 1e7, 0.5);
}

// Whole files of every kind the fixtures make: none may be called damaged.
TEST_F(OutputSafetyTest, IntactSourcesAreNeverCalledEarly) {
    for (auto clip : {fixtures::H264AacMp4, fixtures::Mpeg4Mp3Avi, fixtures::Vp8VorbisWebm,
                      fixtures::VideoOnlyMkv, fixtures::LongH264AacMp4}) {
        const fs::path source = clip();
        SCOPED_TRACE(source.filename().string());
        Conversion conv;
        const std::string output = (dir / (source.stem().string() + ".mkv")).string();
        const HRESULT built = Build(source, output, conv);
        if (FAILED(built)) continue;  // a clip this writer cannot take says nothing here
        HRESULT hr = E_FAIL;
        EXPECT_EQ(RunToEnd(*conv.graph, &hr), EC_COMPLETE);
        EXPECT_EQ(hr, S_OK);
    }
}

// A real full disk: a 256 KiB tmpfs, where the conversion cannot fit.
TEST_F(OutputSafetyTest, AFullDiskIsReportedAsSuchAndCostsNothing) {
    const fs::path small = dir / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const std::string output = (small / "full.mkv").string();
    testenv::WriteFile(output, "older");
    HRESULT hr = S_OK;
    long code = 0;
    std::string reason;
    {
        Conversion conv;
        ASSERT_EQ(Build(fixtures::LongH264AacMp4(), output, conv), S_OK);
        code = RunToEnd(*conv.graph, &hr);
        std::shared_ptr<MediaEventEx> events;
        if (SUCCEEDED(conv.graph->QueryMediaEventEx(events))) reason = events->FailureReason();
    }
    const std::string kept = testenv::ReadFile(output);
    const auto left = Leftovers(small, {"full.mkv"});
    ::umount2(small.c_str(), MNT_DETACH);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(hr, HRESULT_DISK_FULL);
    EXPECT_EQ(reason, "No space left on device") << "the system's own words come along";
    EXPECT_TRUE(kept == "older") << kept.size() << " bytes instead";
    EXPECT_TRUE(left.empty());
}

}  // namespace
