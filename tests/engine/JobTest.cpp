// A conversion of a job: it runs what the job holds, whatever the Options say by
// then, and speaks only through its reporter.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/Conversion.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"

namespace {

namespace fs = std::filesystem;
using engine::CompressorCategory;

struct Heard : engine::Reporter {
    void Say(Kind, const std::string& text, const std::string&) override { said.push_back(text); }
    void OpenPage(const std::string& address) override { said.push_back(address); }
    std::vector<std::string> said;
};

// Starts `c` and waits, on its own announcements, for the end; none when it did
// not start or did not end within a minute.
std::optional<engine::RunEnd> RunToEnd(engine::Conversion& c) {
    struct Wake {
        std::mutex mutex;
        std::condition_variable cv;
        bool pending = false;
    };
    auto wake = std::make_shared<Wake>();  // announcements may outlive this call
    if (FAILED(c.Start([wake] {
            std::lock_guard lock(wake->mutex);
            wake->pending = true;
            wake->cv.notify_one();
        })))
        return std::nullopt;
    for (int i = 0; i < 600; ++i) {
        std::unique_lock lock(wake->mutex);
        wake->cv.wait_for(lock, std::chrono::milliseconds(100), [&] { return wake->pending; });
        wake->pending = false;
        lock.unlock();
        if (auto end = c.TakeEnd()) return end;
    }
    return std::nullopt;
}

std::string Named(CompressorCategory category, const char* fragment) {
    int index = -1;
    engine::FindPreferredCompressor(category, fragment, index);
    return engine::CompressorName(category, index);
}

TEST(JobTest, AConversionRunsItsJobAndSpeaksOnlyThroughItsReporter) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    ui::SetApplicationName("quorvel-converter");
    ui::ScriptedAutomation automation;
    testenv::TempDir out;
    struct Case {
        const char* name;
        int format;
        engine::CompressorChoice video, audio;
        int width, height;
        std::string heard;  // the reporter's first words when the job cannot start
        std::map<std::string, std::string> facts;  // of the written video stream
    };
    const std::string x264 = Named(CompressorCategory::Video, "libx264 h.264");
    const std::string aac = Named(CompressorCategory::Audio, "aac (advanced");
    const std::string mpeg4 = Named(CompressorCategory::Video, "ffdshow");
    const std::string adpcm = Named(CompressorCategory::Audio, "microsoft adpcm");
    ASSERT_FALSE(x264.empty() || aac.empty() || mpeg4.empty() || adpcm.empty());
    const std::vector<Case> cases = {
        {"a.mp4", engine::kMp4, {x264, {{"profile", "baseline"}}}, {aac, {}}, 0, 0, "",
         {{"codec_name", "h264"}, {"profile", "Constrained Baseline"}, {"width", "718"}}},
        // Only the Windows Media writer takes the Options' size.
        {"e.wmv", engine::kWmv, {}, {}, 320, 180, "", {{"codec_name", "wmv2"}, {"width", "320"}}},
        {"b.mkv", engine::kMkv, {mpeg4, {}}, {adpcm, {}}, 0, 0, "",
         {{"codec_name", "mpeg4"}, {"width", "718"}}},
        {"c.webm", engine::kWebm, {}, {}, 0, 0,
         "failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux)", {}},
        {"d.mkv", engine::kMkv, {"A compressor long uninstalled", {}}, {adpcm, {}}, 0, 0,
         "", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine::Job job;
        job.source = fixtures::H264AacMp4().string();
        job.output = (out / c.name).string();
        job.format = c.format;
        job.video = c.video;
        job.audio = c.audio;
        job.width = c.width;
        job.height = c.height;
        Heard heard;
        engine::Conversion conversion(job, heard);
        ASSERT_EQ(conversion.Open(), S_OK);
        const auto end = RunToEnd(conversion);
        conversion.Close();
        if (c.facts.empty()) {
            EXPECT_FALSE(end);
            ASSERT_FALSE(heard.said.empty());
            EXPECT_TRUE(heard.said.front().starts_with(c.heard)) << heard.said.front();
            EXPECT_FALSE(fs::exists(job.output));
        } else {
            ASSERT_TRUE(end && end->code == media::EC_COMPLETE);
            const auto facts = fixtures::StreamFacts(job.output, "v:0", "stream=codec_name,profile,width");
            for (const auto& [key, value] : c.facts) EXPECT_EQ(facts.at(key), value) << key;
        }
    }
    EXPECT_TRUE(automation.boxes.empty());
}

}  // namespace
