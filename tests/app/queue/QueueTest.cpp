// The queue in the window, driven as a person drives it: files dropped, the
// Queue window's commands, its rows read, the outputs read back; the desktop
// is a recorder on the test's own D-Bus session.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "app/QueueWindow.h"
#include "engine/ConversionGraph.h"
#include "engine/Preset.h"
#include "i18n/LanguagePack.h"
#include "platform/ui/Automation.h"
#include "resources/QueueDialogTemplates.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

namespace fs = std::filesystem;
using namespace resources;

class QueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        ui::SetApplicationName("quorvel-converter");
        StoreOptions();
        // Screenshots for the eye, in the language asked for.
        if (const char* language = std::getenv("QUORVEL_SCREENSHOT_LANGUAGE"))
            i18n::LanguagePack::Instance().InitializeLanguages(QUORVEL_SHIPPED_LANGUAGES, language);
    }
    static void Shoot(const ui::Dialog& window, const std::string& name) {
        if (const char* folder = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            window.SaveScreenshot(std::string(folder) + "/" + name + ".png");
    }
    void TearDown() override {
        recorder.kill();
        recorder.waitForFinished();
        media::testing::ResetAll();
    }
    // `format` into `out`, as an OK of the Options dialog would have stored it.
    void StoreOptions(int format = engine::kMkv) {
        settings::Profile().WriteInt("Settings", "nOuptputFormat", format);
        settings::Profile().WriteString("Settings", "OutputName", (out / "x.mkv").string());
    }
    bool HasPartFile() const {
        for (const auto& entry : fs::directory_iterator(out.path()))
            if (entry.path().filename().string().find(".part-") != std::string::npos) return true;
        return false;
    }
    std::string Copy(const fs::path& from, const fs::path& to) {
        fs::create_directories(to.parent_path());
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    // The stand-in desktop; the calls it gets are kept in `calls`.
    void StartDesktop() {
        recorder.start(QUORVEL_DBUS_RECORDER, {QString::fromStdString(calls.string())});
        ASSERT_TRUE(testenv::WaitUntil(
            [&] { return fs::exists(calls) && testenv::ReadFile(calls).starts_with("ready"); },
            10000));
    }
    // Runs the window: `atMain` once it shows, `atQueue` whenever the Queue window
    // shows, which then closes, and the main window after it. The question about
    // outputs in the way is answered with `existsAnswer`.
    void Run(const std::function<void(app::MainWindow&)>& atMain,
             const std::function<void(app::QueueWindow&, app::MainWindow&)>& atQueue) {
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (shown.templateId() == IDD_MAIN) {
                atMain(window);
            } else if (shown.templateId() == IDD_QUEUE) {
                atQueue(static_cast<app::QueueWindow&>(shown), window);
                window.queueRun.Stop();  // a test that failed half-way must not hold the window
                shown.EndDialog(ui::IDCANCEL);
                window.RequestClose();
            } else if (shown.templateId() == IDD_QUEUE_EXISTS) {
                shown.Item(existsAnswer).Click();
            }
        };
        window.RunModal();
    }
    static std::vector<std::string> Column(ui::Dialog& queue, int column) {
        std::vector<std::string> cells;
        ui::Control list = queue.Item(IDC_LIST_QUEUE);
        for (int row = 0; row < list.Count(); ++row) cells.push_back(list.ItemText(row, column));
        return cells;
    }
    static bool Start(app::QueueWindow& queue, app::MainWindow& main) {
        queue.Item(IDC_BUTTON_QUEUE_START).Click();
        return testenv::WaitUntil([&] { return !main.queueRun.active(); }, 100000);
    }
    static bool IsMkv(const fs::path& file) {
        const fixtures::ProbeResult probe = fixtures::ProbeFile(file);
        return probe.ok && probe.formatName == "matroska,webm" && probe.Find("video");
    }

    testenv::ScopedRegistry registry;
    testenv::TempDir in, out, scratch;
    fs::path calls = scratch / "calls.txt";
    ui::ScriptedAutomation automation;
    FakeShell shell;
    QProcess recorder;
    int existsAnswer = IDC_BUTTON_QUEUE_CANCEL;
};

// A folder dropped queues its videos (its subfolder's only when asked); the
// queue runs to its end, a damaged file failing alone with the reason in its
// row, the session kept awake meanwhile and the desktop told at the end.
TEST_F(QueueTest, AFolderQueuedRunsToItsEndAndADamagedFileFailsAlone) {
    StartDesktop();
    Copy(fixtures::H264AacMp4(), in / "a.mp4");
    Copy(fixtures::Mpeg4Mp3Avi(), in / "b.avi");
    Copy(fixtures::RandomBytes(), in / "bad.mp4");
    Copy(fixtures::H264AacMp4(), in / "sub" / "c.mp4");
    testenv::WriteFile(in / "notes.txt", "not a video");
    automation.boxAnswers = {ui::IDNO};  // not the subfolder's videos
    std::vector<std::string> sources, states;
    std::string summary;
    Run([&](app::MainWindow& w) { EXPECT_TRUE(w.DropFiles({in.path().string()})); },
        [&](app::QueueWindow& q, app::MainWindow& w) {
            sources = Column(q, 0);
            Shoot(q, "queue-waiting");
            ASSERT_TRUE(Start(q, w));
            states = Column(q, 4);
            summary = q.Item(IDC_STATIC_QUEUE_SUMMARY).Text();
            Shoot(q, "queue-ended");
        });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_NE(automation.boxes[0].text.find(" holds folders too."), std::string::npos);
    EXPECT_EQ(sources, (std::vector<std::string>{"a.mp4", "b.avi", "bad.mp4"}));
    ASSERT_EQ(states.size(), 3u);
    EXPECT_TRUE(states[0].starts_with("Done: ") && states[1].starts_with("Done: ")) << states[1];
    EXPECT_EQ(states[2], "Failed: " + BuiltInString(IDS_MESSAGE_NOT_OPEN_FILE));
    EXPECT_EQ(summary, "0 waiting, 2 done, 1 failed");
    EXPECT_TRUE(IsMkv(out / "a.mkv") && IsMkv(out / "b.mkv"));
    EXPECT_FALSE(fs::exists(out / "bad.mkv") || fs::exists(out / "c.mkv"));
    const std::string notified =
        "Notify\tQuorvel Video Converter\tThe queue is finished: 2 done, 1 failed.\n";
    ASSERT_TRUE(
        testenv::WaitUntil([&] { return testenv::ReadFile(calls).ends_with(notified); }, 5000))
        << testenv::ReadFile(calls);
    EXPECT_EQ(testenv::ReadFile(calls), "ready\nInhibit\tConverting videos\nClose\n" + notified);
}

// Two sources of one name get two outputs; an output already there is asked
// about once for the whole queue, and each answer keeps its word. No desktop
// service runs here: the end passes without a word.
TEST_F(QueueTest, OutputsInTheWayAreAskedAboutOnceAndTwoJobsNeverShareOne) {
    struct Case {
        int answer;
        std::string firstState;  // the job aimed at the taken name
        std::vector<const char*> written;
        bool olderKept;
    };
    const std::string mp4 = Copy(fixtures::H264AacMp4(), in / "a.mp4");
    const std::string avi = Copy(fixtures::Mpeg4Mp3Avi(), in / "a.avi");
    for (const Case& c :
         {Case{IDC_BUTTON_QUEUE_SKIP, "Skipped: a.mkv exists", {"a (2).mkv"}, true},
          Case{IDC_BUTTON_QUEUE_KEEP_BOTH, "Done: ", {"a (2).mkv", "a (3).mkv"}, true},
          Case{IDC_BUTTON_QUEUE_REPLACE_ALL, "Done: ", {"a (2).mkv", "a.mkv"}, false}}) {
        SCOPED_TRACE(c.answer);
        testenv::ScopedRegistry fresh;  // a queue of its own
        StoreOptions();
        for (const auto& entry : fs::directory_iterator(out.path())) fs::remove(entry.path());
        testenv::WriteFile(out / "a.mkv", "older");
        existsAnswer = c.answer;
        automation.dialogsShown.clear();
        std::vector<std::string> outputs, states;
        Run(
            [&](app::MainWindow& w) {
                w.DropFiles({mp4, avi});
            },
            [&](app::QueueWindow& q, app::MainWindow& w) {
                ASSERT_TRUE(Start(q, w));
                outputs = Column(q, 1);
                states = Column(q, 4);
            });
        EXPECT_EQ(std::count(automation.dialogsShown.begin(), automation.dialogsShown.end(),
                             IDD_QUEUE_EXISTS),
                  1);
        ASSERT_EQ(states.size(), 2u);
        EXPECT_TRUE(states[0].starts_with(c.firstState)) << states[0];
        EXPECT_TRUE(states[1].starts_with("Done: ")) << states[1];
        EXPECT_EQ(outputs[1], "a (2).mkv");
        for (const char* name : c.written) EXPECT_TRUE(IsMkv(out / name)) << name;
        EXPECT_EQ(testenv::ReadFile(out / "a.mkv") == "older", c.olderKept);
        EXPECT_TRUE(automation.boxes.empty());
    }
}

// The queue is kept after every change: a program that ends in the middle of a
// job finds it again, that job waiting once more and its hidden part file gone.
// Jobs keep their options until the current ones are applied to them.
TEST_F(QueueTest, ARestartInTheMiddleFindsTheInterruptedJobWaitingAgain) {
    StoreOptions(engine::kWebm);  // the slowest: the first job is still running when looked at
    const std::string long10 = Copy(fixtures::LongH264AacMp4(), in / "long.mp4");
    const std::string a = Copy(fixtures::H264AacMp4(), in / "a.mp4");
    const fs::path queueFile = settings::QueueFile().Path();
    std::string interrupted;
    std::vector<std::string> stopped;
    Run(
        [&](app::MainWindow& w) {
            w.DropFiles({long10, a});
        },
        [&](app::QueueWindow& q, app::MainWindow&) {
            q.Item(IDC_BUTTON_QUEUE_START).Click();
            ASSERT_TRUE(testenv::WaitUntil([&] { return HasPartFile(); }, 60000));
            interrupted = testenv::ReadFile(queueFile);
            if (std::getenv("QUORVEL_SCREENSHOT_DIR")) {
                testenv::WaitUntil([&] { return Column(q, 4)[0].find("00:") != std::string::npos; },
                                   5000);
                Shoot(q, "queue-converting");
            }
            q.Item(IDC_BUTTON_QUEUE_STOP).Click();
            stopped = Column(q, 4);
        });
    // Stop keeps the part converted so far and the others waiting.
    EXPECT_EQ(stopped, (std::vector<std::string>{BuiltInString(IDS_MESSAGE_CONVERSION_STOPPED),
                                                 "Waiting"}));
    EXPECT_TRUE(fs::exists(out / "long.webm"));
    // What a crash at that moment leaves: the queue file as it was and a part file.
    EXPECT_NE(interrupted.find("state=converting"), std::string::npos) << interrupted;
    testenv::WriteFile(queueFile, interrupted);
    fs::remove(out / "long.webm");
    testenv::WriteFile(out / ".long.webm.part-AbCd1234", "half");

    std::vector<std::string> before, options, after;
    Run(
        [&](app::MainWindow& w) {
            auto& graph = engine::ConversionGraph::Instance();
            w.settings.format = engine::kMp4;
            w.settings.mp4VideoCompressorIndex =
                graph.FindPreferredCompressor(engine::CompressorCategory::Video, "libx264 h.264");
            w.settings.mp4AudioCompressorIndex =
                graph.FindPreferredCompressor(engine::CompressorCategory::Audio, "aac (advanced");
            w.Item(IDC_BUTTON_QUEUE).Click();
        },
        [&](app::QueueWindow& q, app::MainWindow& w) {
            before = Column(q, 4);
            EXPECT_NE(Column(q, 3)[0].find("WebM VP8 Encoder Filter"), std::string::npos);
            q.Item(IDC_BUTTON_QUEUE_APPLY).Click();
            options = Column(q, 3);
            ASSERT_TRUE(Start(q, w));
            after = Column(q, 4);
        });
    EXPECT_FALSE(fs::exists(out / ".long.webm.part-AbCd1234"));
    EXPECT_EQ(before, (std::vector<std::string>{"Waiting", "Waiting"}));
    ASSERT_EQ(options.size(), 2u);
    EXPECT_NE(options[0].find("libx264"), std::string::npos) << options[0];
    ASSERT_EQ(after.size(), 2u);
    for (const auto& [name, seconds] : {std::pair{"long.mp4", 10.0}, std::pair{"a.mp4", 2.0}}) {
        const fixtures::ProbeResult probe = fixtures::ProbeFile(out / name);
        ASSERT_TRUE(probe.ok && probe.Find("video")) << name;
        EXPECT_EQ(probe.Find("video")->codec, "h264");
        EXPECT_NEAR(probe.duration, seconds, 0.2) << name;
    }

    // Another copy of the program keeps the queue: this window's starts empty,
    // saves nothing and says so.
    registry::SideFile held = settings::QueueFile();
    ASSERT_TRUE(held.Claim());
    std::string summary;
    Run([&](app::MainWindow& w) { w.Item(IDC_BUTTON_QUEUE).Click(); },
        [&](app::QueueWindow& q, app::MainWindow&) {
            summary = q.Item(IDC_STATIC_QUEUE_SUMMARY).Text();
            Shoot(q, "queue-not-kept");
        });
    EXPECT_EQ(summary, "0 waiting, 0 done, 0 failed    " + BuiltInString(IDS_QUEUE_NOT_KEPT));
}

// The rows' commands act on the row chosen: a job moved down and one removed
// before the run, the failed one waiting again after it and the done one cleared.
TEST_F(QueueTest, TheRowCommandsActOnTheChosenRow) {
    const std::string a = Copy(fixtures::H264AacMp4(), in / "a.mp4");
    const std::string bad = Copy(fixtures::RandomBytes(), in / "bad.mp4");
    const std::string b = Copy(fixtures::Mpeg4Mp3Avi(), in / "b.avi");
    std::vector<std::vector<std::string>> seen;
    Run([&](app::MainWindow& w) { w.DropFiles({a, bad, b}); },
        [&](app::QueueWindow& q, app::MainWindow& w) {
            auto click = [&](int row, int button) {
                if (row >= 0) q.Item(IDC_LIST_QUEUE).SetCurSel(row);
                q.Item(button).Click();
                seen.push_back(Column(q, 0));
                seen.back().push_back(Column(q, 4).back());
            };
            click(1, IDC_BUTTON_QUEUE_DOWN);
            click(0, IDC_BUTTON_QUEUE_REMOVE);
            ASSERT_TRUE(Start(q, w));
            click(-1, IDC_BUTTON_QUEUE_RETRY);
            click(-1, IDC_BUTTON_QUEUE_CLEAR);
        });
    EXPECT_EQ(seen, (std::vector<std::vector<std::string>>{
                        {"a.mp4", "b.avi", "bad.mp4", "Waiting"},
                        {"b.avi", "bad.mp4", "Waiting"},
                        {"b.avi", "bad.mp4", "Waiting"},
                        {"bad.mp4", "Waiting"}}));
    EXPECT_TRUE(IsMkv(out / "b.mkv"));
    EXPECT_FALSE(fs::exists(out / "a.mkv"));
}

// Start and End belong to the open source: its job takes them, another file's
// does not, and files dropped together are each converted whole.
TEST_F(QueueTest, TheChosenPartGoesOnlyWithTheOpenSource) {
    const std::string a = Copy(fixtures::LongH264AacMp4(), in / "a.mp4");
    const std::string b = Copy(fixtures::H264AacMp4(), in / "b.mp4");
    std::vector<std::int64_t> starts;
    Run(
        [&](app::MainWindow& w) {
            w.OpenSourceFile(a);
            w.settings.cutStart = 20'000'000;
            w.settings.cutStop = 40'000'000;
            for (const std::string& file : {a, b}) starts.push_back(w.JobFor(file).cutStart);
            w.DropFiles({a, b});
        },
        [&](app::QueueWindow&, app::MainWindow& w) {
            for (const app::QueueEntry& e : w.queue.entries()) starts.push_back(e.job.cutStart);
        });
    EXPECT_EQ(starts, (std::vector<std::int64_t>{20'000'000, 0, 0, 0}));
}

// The preset and the size of the Options go with each job made from them: its row
// names them, the file comes out at the size; a job whose format takes no size
// ends saying so.
TEST_F(QueueTest, APresetAndASizeGoWithTheJobAndItsRow) {
    const fs::path noisy = fixtures::MakeWith(
        "preset-noisy.mp4",
        "-f lavfi -i testsrc2=size=640x360:rate=25:duration=4,noise=alls=20:allf=t+u -f lavfi -i "
        "sine=f=440:d=4 -ac 2 -c:v libx264 -preset ultrafast -crf 16 -c:a aac");
    const std::string a = Copy(noisy, in / "a.mp4"), b = Copy(noisy, in / "b.mp4");
    const std::string c = Copy(noisy, in / "c.mp4");
    std::vector<std::string> options, states;
    Run(
        [&](app::MainWindow& w) {
            auto use = [&](const char* preset, int megabytes) {
                std::vector<engine::MissingCompressor> missing;
                engine::ApplyPreset(*engine::FindBuiltInPreset(preset), w.settings, missing);
                w.settings.targetSizeMB = megabytes;
                w.settings.outputPath = (out / "x").string();
            };
            use("MP4, small, to send", 1);
            w.QueueFiles({a, b});
            use("AVI for older players", 1);
            w.QueueFiles({c});
            w.Item(IDC_BUTTON_QUEUE).Click();
        },
        [&](app::QueueWindow& q, app::MainWindow& w) {
            options = Column(q, 3);
            EXPECT_TRUE(Start(q, w));
            states = Column(q, 4);
        });
    ASSERT_EQ(options.size(), 3u);
    for (int row : {0, 1}) {
        EXPECT_TRUE(options[row].starts_with("MP4, small, to send: ")) << options[row];
        EXPECT_NE(options[row].find(", target 1 MB, longer side at most 1280 pixels"),
                  std::string::npos)
            << options[row];
        EXPECT_TRUE(states[row].starts_with("Done: ")) << states[row];
        const double share =
            static_cast<double>(fs::file_size(out / (row ? "b.mp4" : "a.mp4"))) / 1e6;
        EXPECT_GE(share, 0.85);
        EXPECT_LE(share, 1.0);
    }
    EXPECT_EQ(options[2].find("target"), std::string::npos) << options[2];
    EXPECT_NE(states[2].find("No size was kept to"), std::string::npos) << states[2];
    EXPECT_TRUE(fixtures::ProbeFile(out / "c.avi").ok);
}

}  // namespace
