// Whole runs through the main window: open, convert, complete or stop, read back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "engine/ConversionGraph.h"
#include "options/OutputFormat.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"

namespace {

using namespace resources;
using engine::CompressorCategory;
using engine::ConversionGraph;

class ConversionRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
    }
    void TearDown() override { media::testing::ResetAll(); }

    // Runs the window: opens `clip`, sets the output, then `script`; closes afterwards.
    void Run(const std::filesystem::path& clip, int format, const std::string& output,
             const std::function<void(app::MainWindow&)>& script) {
        app::MainWindow window;
        automation.fileAnswers = {clip.string()};
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (shown.templateId() != IDD_MAIN) {
                shown.Item(ui::IDCANCEL).Click();  // the filter list: Continue
                return;
            }
            window.Item(IDC_BUTTON_ADD_VIDEO).Click();
            window.settings.format = format;
            window.settings.outputPath = output;
            if (format == engine::kWebm) {
                auto& graph = ConversionGraph::Instance();
                window.settings.webmVideoCompressorIndex =
                    graph.FindPreferredCompressor(CompressorCategory::Video, "webm vp8 encoder filter");
                window.settings.webmAudioCompressorIndex = graph.FindPreferredCompressor(
                    CompressorCategory::Audio, engine::kVorbisFragment);
                graph.ReleaseCompressorSlots();
            }
            script(window);
            if (window.isConverting) window.EndConversion(IDS_MESSAGE_CONVERSION_DONE);
            window.RequestClose();
        };
        window.RunModal();
    }

    static double WrittenSeconds() {
        std::int64_t position = 0;
        std::shared_ptr<media::MediaSeeking> seeking;
        auto& graph = ConversionGraph::Instance();
        if (graph.graphManager && SUCCEEDED(graph.graphManager->QueryMediaSeeking(seeking)))
            seeking->GetCurrentPosition(position);
        return position / 1e7;
    }

    static bool WaitForEnd(app::MainWindow& w) {
        return testenv::WaitUntil([&] { return w.isConverting == 0; }, 60000);
    }

    ui::ScriptedAutomation automation;
    FakeShell shell;
    testenv::ScopedRegistry registry;
    testenv::TempDir out;
};

TEST_F(ConversionRunTest, EachContainerIsWrittenAndReadsBack) {
    struct Case {
        int format;
        const char* file;
        const char* container;
        const char* video;
        const char* audio;
    };
    for (const Case& c : {Case{engine::kAvi, "out.avi", "avi", "mpeg4", "adpcm_ms"},
                          Case{engine::kMkv, "out.mkv", "matroska,webm", "mpeg4", "adpcm_ms"},
                          Case{engine::kAsf, "out.asf", "asf", "mpeg4", "adpcm_ms"},
                          Case{engine::kWebm, "out.webm", "matroska,webm", "vp8", "vorbis"}}) {
        const std::string output = (out / c.file).string();
        std::string status, sourceLine, label;
        int ticks = 0;
        Run(fixtures::H264AacMp4(), c.format, output, [&](app::MainWindow& w) {
            sourceLine = w.sourceLine();
            w.Item(IDC_BUTTON_CONVERT).Click();
            label = w.Item(IDC_BUTTON_CONVERT).Text();
            ASSERT_TRUE(WaitForEnd(w)) << c.file;
            ticks = w.elapsedSeconds;
            status = w.statusLine();
            EXPECT_TRUE(ConversionGraph::Instance().hasMediaControl());  // reopened
        });
        EXPECT_EQ(sourceLine, fixtures::H264AacMp4().filename().string() + ": 00:00:02");
        EXPECT_EQ(label, "Stop");
        EXPECT_EQ(ticks, 0);
        EXPECT_EQ(status, "Done. Output file: " + output + "     Resolution: 718*404");
        const auto probe = fixtures::ProbeFile(output);
        ASSERT_TRUE(probe.ok) << c.file;
        EXPECT_EQ(probe.formatName, c.container);
        const auto* video = probe.Find("video");
        const auto* audio = probe.Find("audio");
        ASSERT_TRUE(video && audio) << c.file;
        EXPECT_EQ(video->codec, c.video);
        EXPECT_EQ(audio->codec, c.audio);
        EXPECT_EQ(video->width, 718);
        EXPECT_EQ(video->height, 404);
        EXPECT_NEAR(probe.duration, 2.0, 0.1) << c.file;
    }
    // WebM alone showed the filter properties dialog before its run.
    EXPECT_EQ(std::count(automation.dialogsShown.begin(), automation.dialogsShown.end(), 133), 1);
}

TEST_F(ConversionRunTest, StopLeavesAReadableFileAndASecondRunWorks) {
    const std::string output = (out / "stopped.mkv").string();
    std::string status;
    // Long enough that the run is still going when Stop is pressed.
    fixtures::ClipRecipe recipe;
    recipe.seconds = 60;
    recipe.codecs = "-c:v libx264 -preset ultrafast -c:a aac";
    const auto clip = fixtures::MakeClip("minute-h264-aac.mp4", recipe);
    Run(clip, engine::kMkv, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        ASSERT_EQ(w.isConverting, 1);
        EXPECT_FALSE(w.Item(IDC_BUTTON_ADD_VIDEO).IsEnabled());
        // Stop in the middle, once a second of the clip is written.
        ASSERT_TRUE(testenv::WaitUntil([&] { return WrittenSeconds() >= 1.0; }, 30000));
        ASSERT_EQ(w.isConverting, 1);
        w.Item(IDC_BUTTON_CONVERT).Click();  // Stop
        EXPECT_EQ(w.isConverting, 0);
        status = w.statusLine();
        EXPECT_TRUE(w.Item(IDC_BUTTON_ADD_VIDEO).IsEnabled());
        EXPECT_EQ(w.Item(IDC_BUTTON_CONVERT).Text(), "Convert");
        EXPECT_TRUE(fixtures::ProbeFile(output).ok);
        // Again, without reopening the file: the existing output is replaced.
        automation.boxAnswers = {ui::IDYES};
        w.Item(IDC_BUTTON_CONVERT).Click();
        ASSERT_TRUE(WaitForEnd(w));
    });
    EXPECT_EQ(status.rfind("Stopped; the file holds the part converted so far. Output file: ", 0),
              0u)
        << status;
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              output + " exists. Do you want to replace it?");
    EXPECT_EQ(automation.boxes[0].caption, "Warning");
    EXPECT_EQ(automation.boxes[0].type, ui::MB_YESNO | ui::MB_ICONEXCLAMATION | ui::MB_DEFBUTTON2);
    const auto probe = fixtures::ProbeFile(output);
    ASSERT_TRUE(probe.ok);
    EXPECT_NEAR(probe.duration, 60.0, 0.2);
}

// A file the person did not agree to replace is never replaced: not when they say
// No, nor when it appears during the run (the run's file is kept beside it).
TEST_F(ConversionRunTest, RefusingReplacementChangesNothing) {
    const std::string output = (out / "keep.avi").string();
    testenv::WriteFile(output, "precious");
    automation.boxAnswers = {ui::IDNO};
    Run(fixtures::H264AacMp4(), engine::kAvi, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        EXPECT_EQ(w.isConverting, 0);
    });
    EXPECT_EQ(testenv::ReadFile(output), "precious");
    const std::string later = (out / "later.mkv").string(), kept = (out / "later (2).mkv").string();
    std::string status;
    Run(fixtures::LongH264AacMp4(), engine::kMkv, later, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        testenv::WriteFile(later, "appeared");
        ASSERT_TRUE(WaitForEnd(w));
        status = w.statusLine();
    });
    EXPECT_EQ(testenv::ReadFile(later), "appeared");
    EXPECT_TRUE(fixtures::ProbeFile(kept).ok);
    EXPECT_EQ(status, "Done. Output file: " + kept + "     Resolution: 718*404     " + later +
                          " appeared during the conversion and was left as it was; this "
                          "conversion is in " +
                          kept + ".");
}

TEST_F(ConversionRunTest, TheSourceIsNeverOfferedForReplacement) {
    const std::filesystem::path source = out / "mine.avi";
    std::filesystem::copy_file(fixtures::Mpeg4Mp3Avi(), source);
    const auto before = std::filesystem::file_size(source);
    Run(source, engine::kAvi, source.string(), [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        EXPECT_EQ(w.isConverting, 0);
    });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_NE(automation.boxes[0].text.find("source file"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(source), before);
}

TEST_F(ConversionRunTest, AFailedStartEndsLikeARunAndSaysError) {
    media::testing::ForceFailure(media::testing::Operation::Run, E_FAIL);
    const std::string output = (out / "fail.avi").string();
    std::string status;
    Run(fixtures::H264AacMp4(), engine::kAvi, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        status = w.statusLine();
        EXPECT_TRUE(ConversionGraph::Instance().hasMediaControl());
    });
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text.rfind("can not pControl->Run()!!!\nThe conversion could not start.", 0), 0u);
    EXPECT_FALSE(automation.boxes[1].text.empty());
    EXPECT_EQ(status, "Error. Output file: " + output + "     Resolution: 718*404");
}

// A real refusal: the step's text, then FFmpeg's reason as the second line.
TEST_F(ConversionRunTest, AnEncoderThatWillNotOpenSaysWhyOnASecondLine) {
    const std::string output = (out / "wide.avi").string();
    Run(fixtures::TooWideForMpeg4(), engine::kAvi, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
    });
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text.rfind("can not pControl->Run()!!!\nThe conversion could not start.", 0), 0u);
    EXPECT_EQ(automation.boxes[1].text,
              media::ErrorText(media::QV_E_ENCODER_OPEN) + "\ndimensions too large for MPEG-4");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(ConversionRunTest, AnAbortedRunEndsWithTheErrorText) {
    media::testing::ForceFailure(media::testing::Operation::Streaming, E_FAIL);
    std::string status;
    Run(fixtures::H264AacMp4(), engine::kAvi, (out / "abort.avi").string(),
        [&](app::MainWindow& w) {
            w.Item(IDC_BUTTON_CONVERT).Click();
            ASSERT_TRUE(WaitForEnd(w));
            status = w.statusLine();
        });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_FALSE(automation.boxes[0].text.empty());
    EXPECT_EQ(status.rfind("Error. ", 0), 0u);
}

TEST_F(ConversionRunTest, TheClockCountsTicksDuringARun) {
    std::vector<std::string> lines;
    Run(fixtures::LongH264AacMp4(), engine::kAvi, (out / "clock.avi").string(),
        [&](app::MainWindow& w) {
            w.Item(IDC_BUTTON_CONVERT).Click();
            ASSERT_TRUE(testenv::WaitUntil([&] { return w.elapsedSeconds >= 1 || !w.isConverting; },
                                           30000));
            if (w.isConverting) lines.push_back(w.progressLine());
        });
    if (lines.empty()) GTEST_SKIP() << "the run ended before its first tick";
    EXPECT_EQ(lines[0].rfind("Please wait... Used Time: 00:00:01     ", 0), 0u) << lines[0];
}

TEST_F(ConversionRunTest, ARunShowsHowFarItIsInTheTimeFieldAndTheTitle) {
    // Paced so that the run is still going after some ticks, whatever the machine.
    fixtures::ClipRecipe recipe;
    recipe.seconds = 60;
    recipe.codecs = "-c:v libx264 -preset ultrafast -c:a aac";
    const auto clip = fixtures::MakeClip("minute-h264-aac.mp4", recipe);
    const std::string output = (out / "far.avi").string();
    std::string line, title, idleTitle, afterTitle;
    int percent = -1;
    bool barDuring = false, barAfter = true, statusAfter = false;
    Run(clip, engine::kAvi, output, [&](app::MainWindow& w) {
        idleTitle = w.Caption();
        w.Item(IDC_BUTTON_CONVERT).Click();
        ASSERT_EQ(w.isConverting, 1);
        ASSERT_TRUE(
            testenv::WaitUntil([&] { return !w.isConverting || WrittenSeconds() >= 1.0; }, 30000));
        if (!w.isConverting) return;
        // What the ticks do, until about two fifths are written.
        w.elapsedSeconds = 1;
        testenv::WaitUntil(
            [&] {
                if (w.isConverting) w.UpdateRunProgress();
                return !w.isConverting || w.Item(IDC_PROGRESS_RUN).Progress() >= 40;
            },
            30000);
        if (!w.isConverting) return;
        line = w.progressLine();
        title = w.Caption();
        percent = w.Item(IDC_PROGRESS_RUN).Progress();
        barDuring = w.Item(IDC_PROGRESS_RUN).IsVisible() && !w.Item(IDC_STATIC_STATUS).IsVisible();
        const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR");
        if (shots) w.SaveScreenshot(std::string(shots) + "/run-progress.png");
        w.Item(IDC_BUTTON_CONVERT).Click();  // Stop
        if (shots) w.SaveScreenshot(std::string(shots) + "/run-stopped.png");
        afterTitle = w.Caption();
        barAfter = w.Item(IDC_PROGRESS_RUN).IsVisible();
        statusAfter = w.Item(IDC_STATIC_STATUS).IsVisible();
    });
    if (percent < 0) GTEST_SKIP() << "the run ended before part of it was written";
    EXPECT_GT(percent, 0);
    EXPECT_LT(percent, 100);
    EXPECT_TRUE(barDuring);
    const std::string shown = std::to_string(percent) + "%";
    EXPECT_NE(line.find("     " + shown + "     Time left: "), std::string::npos) << line;
    EXPECT_EQ(title, shown + " – " + idleTitle);
    EXPECT_EQ(afterTitle, idleTitle);
    EXPECT_FALSE(barAfter);
    EXPECT_TRUE(statusAfter);
}

TEST_F(ConversionRunTest, UnreadableFilesAreNotOpened) {
    std::string sourceLine;
    Run(fixtures::RandomBytes(), engine::kAvi, (out / "n.avi").string(), [&](app::MainWindow& w) {
        sourceLine = w.sourceLine();
        EXPECT_TRUE(w.sourcePath.empty());
        EXPECT_FALSE(ConversionGraph::Instance().hasMediaControl());
    });
    EXPECT_EQ(sourceLine, "00:00:00");
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[1].text,
              "Can not get the duration of the clip!Cannot open the file. You need to install "
              "appropriate decoders. Or the file is corrupt.");
    EXPECT_EQ(automation.boxes[1].caption, "Error IDS_MESSAGE_NO_DURATION");
}

TEST_F(ConversionRunTest, AYesToReplaceCostsNothingWhenTheRunFails) {
    const std::string output = (out / "keep.mkv").string();
    testenv::WriteFile(output, "precious");
    automation.boxAnswers = {ui::IDYES};
    media::testing::ForceFailure(media::testing::Operation::Streaming, media::HRESULT_DISK_FULL);
    std::string status;
    Run(fixtures::H264AacMp4(), engine::kMkv, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        ASSERT_TRUE(WaitForEnd(w));
        status = w.statusLine();
    });
    EXPECT_EQ(testenv::ReadFile(output), "precious");
    EXPECT_EQ(status.rfind("Error. ", 0), 0u);
    ASSERT_EQ(automation.boxes.size(), 2u);  // the replace question, then the full disk
    EXPECT_EQ(automation.boxes[1].text,
              "The disk is full: there is no room left in " + out.path().string() +
                  "/ for the output file. An older output file of that name is unchanged.");
}

TEST_F(ConversionRunTest, AFolderAsOutputIsRefusedAndKept) {
    const std::filesystem::path folder = out / "videos.avi";
    std::filesystem::create_directory(folder);
    Run(fixtures::H264AacMp4(), engine::kAvi, folder.string(), [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        EXPECT_EQ(w.isConverting, 0);
    });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              folder.string() + " is a folder. Choose an output file in Options.");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ConversionRunTest, APipeIsRefusedWithoutWaitingForIt) {
    const std::filesystem::path fifo = out / "pipe.mp4";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string sourceLine;
    Run(fifo, engine::kAvi, (out / "p.avi").string(), [&](app::MainWindow& w) {
        EXPECT_TRUE(w.sourcePath.empty());
        sourceLine = w.sourceLine();
    });
    EXPECT_EQ(sourceLine, "00:00:00");
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              fifo.string() +
                  " is not a regular file (it is a pipe, a device or a socket) and cannot be "
                  "opened.");
}

TEST_F(ConversionRunTest, ASourceThatEndsEarlySaysSoOnTheCompletionLine) {
    const std::string output = (out / "early.avi").string();
    std::string status;
    Run(fixtures::EndsEarlyMp4(), engine::kAvi, output, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_CONVERT).Click();
        ASSERT_TRUE(WaitForEnd(w));
        status = w.statusLine();
        if (const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            w.SaveScreenshot(std::string(shots) + "/ended-early.png");
    });
    EXPECT_EQ(status.rfind("The source ended early, at 00:00:0", 0), 0u) << status;
    EXPECT_NE(status.find(" of 00:00:10, and may be damaged; the file holds what could be read. "
                          "Output file: " + output),
              std::string::npos)
        << status;
    EXPECT_TRUE(fixtures::ProbeFile(output).ok);
}

}  // namespace
