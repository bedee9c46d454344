// The main window driven headless: start-up, close procedure, commands and layout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

using namespace resources;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }

    // Runs the window; `script` acts once it is shown. Returns the window's result.
    int Run(app::MainWindow& window, std::function<void(app::MainWindow&)> script) {
        automation.onDialogShown = [&window, script](ui::Dialog&) {
            script(window);
            if (window.IsRunning()) {
                window.isConverting = 0;
                window.RequestClose();
            }
        };
        return window.RunModal();
    }

    testenv::ScopedRegistry registry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
};

TEST_F(MainWindowTest, StartsWithTheOutputLineAndAnEmptyClock) {
    app::MainWindow window;
    std::string status, source;
    bool buildFiltersVisible = true;
    Run(window, [&](app::MainWindow& w) {
        status = w.statusLine();
        source = w.sourceLine();
        buildFiltersVisible = w.Item(IDC_BUTTON_BUILD_FILTERS).IsVisible();
    });
    // No stored format: AVI, in the video folder; five blanks after the path.
    EXPECT_EQ(status, "Output file: " + shell.videoFolder + "/output.avi     Resolution: Original size");
    EXPECT_EQ(source, "00:00:00");
    EXPECT_FALSE(buildFiltersVisible);
    EXPECT_EQ(window.Caption(), "Quorvel Video Converter");
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(MainWindowTest, StoredOutputNameWinsAndGetsTheFormatsExtension) {
    settings::Profile().WriteInt("Settings", "nOuptputFormat", 2);
    settings::Profile().WriteString("Settings", "OutputName", "/data/my.clips/result.webm");
    app::MainWindow window;
    Run(window, [](app::MainWindow&) {});
    EXPECT_EQ(window.settings.outputPath, "/data/my.clips/result.mkv");
    EXPECT_EQ(window.settings.format, 2);
}

TEST_F(MainWindowTest, VideoFolderFailuresAreReportedAndTheHomeDefaultServes) {
    const std::string home = std::getenv("HOME");
    {
        shell.folderResult = E_FAIL;
        app::MainWindow window;
        Run(window, [](app::MainWindow&) {});
        ASSERT_EQ(automation.boxes.size(), 1u);
        EXPECT_EQ(automation.boxes[0].text, "Can not get My Video directory!");
        EXPECT_EQ(automation.boxes[0].caption, "Error");
        EXPECT_EQ(automation.boxes[0].ownerId, IDD_MAIN);
        EXPECT_EQ(window.settings.outputPath, home + "/output.avi");
    }
    automation.boxes.clear();
    {
        shell.folderService = false;
        app::MainWindow window;
        Run(window, [](app::MainWindow&) {});
        ASSERT_EQ(automation.boxes.size(), 1u);
        EXPECT_EQ(automation.boxes[0].text, "Can not get SHGetFolderPathA!");
    }
    automation.boxes.clear();
    {
        // An old system is never asked for the folder.
        shell.folderService = true;
        shell.folderResult = S_OK;
        shell.major = 5;
        shell.foldersAsked = 0;
        app::MainWindow window;
        Run(window, [](app::MainWindow&) {});
        EXPECT_EQ(shell.foldersAsked, 0);
        EXPECT_TRUE(automation.boxes.empty());
        EXPECT_EQ(window.settings.outputPath, home + "/output.avi");
    }
}

TEST_F(MainWindowTest, AStoredOutputPathNeedsNoVideoFolderAndShowsNoMessage) {
    settings::Profile().WriteString("Settings", "OutputName", "/data/clips/result.avi");
    shell.folderResult = E_FAIL;
    shell.foldersAsked = 0;
    app::MainWindow window;
    Run(window, [](app::MainWindow&) {});
    EXPECT_TRUE(automation.boxes.empty());
    EXPECT_EQ(shell.foldersAsked, 0);
    EXPECT_EQ(window.settings.outputPath, "/data/clips/result.avi");
}

TEST_F(MainWindowTest, UnreadableVersionIsReportedAndStartUpGoesOn) {
    shell.versionReadable = false;
    app::MainWindow window;
    std::string status;
    Run(window, [&](app::MainWindow& w) { status = w.statusLine(); });
    ASSERT_FALSE(automation.boxes.empty());
    EXPECT_EQ(automation.boxes[0].text, "Can get Windows Version");
    EXPECT_FALSE(status.empty());
}

TEST_F(MainWindowTest, ComFailureLeavesTheTemplateWindowOpen) {
    media::testing::ScopedFailure failure(media::testing::Operation::Initialize);
    app::MainWindow window;
    std::string status;
    bool buildFiltersVisible = false;
    Run(window, [&](app::MainWindow& w) {
        status = w.statusLine();
        buildFiltersVisible = w.Item(IDC_BUTTON_BUILD_FILTERS).IsVisible();
    });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text, "Could not initialize COM library.");
    EXPECT_EQ(automation.boxes[0].caption, "Error");
    EXPECT_EQ(automation.boxes[0].ownerId, 0);
    EXPECT_EQ(status, "");
    EXPECT_TRUE(buildFiltersVisible);
}

TEST_F(MainWindowTest, CloseIsRefusedWhileConvertingFromEveryRoute) {
    app::MainWindow window;
    std::vector<bool> runningAfter;
    std::optional<registry::Value> languageWhileRefused;
    Run(window, [&](app::MainWindow& w) {
        w.isConverting = 1;
        w.RequestClose();  // close box
        runningAfter.push_back(w.IsRunning());
        w.PressKey("Escape");
        runningAfter.push_back(w.IsRunning());
        w.Item(IDC_BUTTON_EXIT).Click();
        runningAfter.push_back(w.IsRunning());
        w.PressKey("Ctrl+Q");
        runningAfter.push_back(w.IsRunning());
        languageWhileRefused = registry::Store(registry.file())
                                   .Get("Software\\QuorvelStudio\\quorvel-converter\\Option",
                                        "CurrentLanguage");
    });
    EXPECT_EQ(runningAfter, (std::vector<bool>{true, true, true, true}));
    ASSERT_EQ(automation.boxes.size(), 4u);
    for (const auto& box : automation.boxes) {
        EXPECT_EQ(box.text, "Please first stop converting");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.ownerId, IDD_MAIN);
    }
    // Nothing of the close procedure ran while refused.
    EXPECT_EQ(languageWhileRefused, std::nullopt);
}

TEST_F(MainWindowTest, EscapeAndExitCloseThroughTheCloseProcedure) {
    for (const std::string route : {"Escape", "Exit", "Return-on-Exit", "Ctrl+Q"}) {
        testenv::ScopedRegistry fresh;
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog&) {
            if (route == "Exit") window.Item(IDC_BUTTON_EXIT).Click();
            else if (route == "Return-on-Exit") window.PressKey("Return");  // the focus starts on Exit
            else window.PressKey(route);
        };
        window.RunModal();
        EXPECT_FALSE(window.IsRunning()) << route;
        const auto language = registry::Store(fresh.file())
                                  .Get("Software\\QuorvelStudio\\quorvel-converter\\Option",
                                       "CurrentLanguage");
        ASSERT_TRUE(language.has_value()) << route;
        EXPECT_EQ(language->text, "english");
    }
}

TEST_F(MainWindowTest, ShortcutsActAsTheirButtonsDoEvenWhenRefused) {
    app::MainWindow window;
    Run(window, [&](app::MainWindow& w) {
        w.isConverting = true;
        w.ApplyState();
        w.PressKey("Ctrl+O");  // Open Video is refused during a run
        w.PressKey("F1");
    });
    EXPECT_TRUE(automation.choosers.empty());
    EXPECT_EQ(shell.helpPages.size(), 1u);
}

TEST_F(MainWindowTest, ConvertWithoutSourceAsksToOpenOne) {
    app::MainWindow window;
    Run(window, [](app::MainWindow& w) { w.Item(IDC_BUTTON_CONVERT).Click(); });
    ASSERT_EQ(automation.boxes.size(), 1u);
    EXPECT_EQ(automation.boxes[0].text,
              "Please open an media file fisrt!\nPress Open Video (Ctrl+O) and choose a video file first.");
    EXPECT_EQ(automation.boxes[0].caption, "quorvel-converter");
    EXPECT_EQ(automation.boxes[0].type, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

TEST_F(MainWindowTest, OpenVideoAsksInTheLastFolderAndRemembersTheNewOne) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    testenv::TempDir folder;
    const auto clip = folder / "clip.mp4";
    std::filesystem::copy_file(fixtures::H264AacMp4(), clip);
    settings::Profile().WriteString("Option", "LastPhotoFolder", "/films/old/");
    automation.fileAnswers = {std::nullopt, clip.string()};
    app::MainWindow window;
    std::string sourceLine;
    Run(window, [&](app::MainWindow& w) {
        w.Item(IDC_BUTTON_ADD_VIDEO).Click();  // cancelled
        w.Item(IDC_BUTTON_ADD_VIDEO).Click();
        sourceLine = w.sourceLine();
    });
    ASSERT_EQ(automation.choosers.size(), 2u);
    const auto& request = automation.choosers[0].request;
    EXPECT_FALSE(automation.choosers[0].save);
    EXPECT_EQ(automation.choosers[0].ownerId, IDD_MAIN);
    EXPECT_EQ(request.title, "Open a video file");
    EXPECT_EQ(request.initialDir, "/films/old/");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].first, "Video files");
    for (const char* pattern : {"*.avi", "*.mp4", "*.mkv", "*.webm", "*.wmv", "*.mov", "*.mpg"})
        EXPECT_NE((";" + request.filters[0].second + ";").find(std::string(";") + pattern + ";"),
                  std::string::npos)
            << pattern;
    EXPECT_EQ(request.filters[1], (std::pair<std::string, std::string>{"All files", "*"}));
    EXPECT_EQ(request.flags, ui::OFN_EXPLORER | ui::OFN_FILEMUSTEXIST | ui::OFN_PATHMUSTEXIST |
                                 ui::OFN_READONLY);
    EXPECT_EQ(window.sourcePath, clip.string());
    EXPECT_EQ(window.sourceOpened, 1);
    EXPECT_EQ(window.settings.outputWidth, 718);
    EXPECT_EQ(sourceLine, "clip.mp4: 00:00:02");
    EXPECT_EQ(settings::Profile().GetString("Option", "LastPhotoFolder", ""),
              folder.path().string() + "/");
}

TEST_F(MainWindowTest, TheFirstOpenVideoStartsInTheVideosFolder) {
    automation.fileAnswers = {std::nullopt};
    app::MainWindow window;
    Run(window, [&](app::MainWindow& w) { w.Item(IDC_BUTTON_ADD_VIDEO).Click(); });
    ASSERT_EQ(automation.choosers.size(), 1u);
    EXPECT_EQ(automation.choosers[0].request.initialDir, shell.videoFolder);
}

TEST_F(MainWindowTest, AFileDroppedOnTheWindowOpensButNotDuringARun) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    const std::string clip = fixtures::H264AacMp4().string();
    const std::string other = fixtures::Mpeg4Mp3Avi().string();
    app::MainWindow window;
    bool droppedIdle = false, droppedBusy = true;
    std::string sourceLine, pathDuringRun;
    Run(window, [&](app::MainWindow& w) {
        droppedIdle = w.DropFiles({clip});
        sourceLine = w.sourceLine();
        w.isConverting = 1;
        w.ShowRunProgress(true);
        droppedBusy = w.DropFiles({other});
        pathDuringRun = w.sourcePath;
        w.ShowRunProgress(false);
    });
    EXPECT_TRUE(droppedIdle);
    EXPECT_EQ(sourceLine, fixtures::H264AacMp4().filename().string() + ": 00:00:02");
    EXPECT_FALSE(droppedBusy);
    EXPECT_EQ(pathDuringRun, clip);
    EXPECT_EQ(window.sourceOpened, 1);
    EXPECT_TRUE(automation.choosers.empty()) << "a drop asks nothing";
}

TEST_F(MainWindowTest, StatesDriveTheConvertLabelAndTheButtons) {
    app::MainWindow window;
    std::vector<std::string> labels;
    std::vector<bool> openEnabled, optionsEnabled;
    Run(window, [&](app::MainWindow& w) {
        for (int converting : {1, 0}) {
            w.isConverting = converting;
            w.ApplyState();
            labels.push_back(w.Item(IDC_BUTTON_CONVERT).Text());
            openEnabled.push_back(w.Item(IDC_BUTTON_ADD_VIDEO).IsEnabled());
            optionsEnabled.push_back(w.Item(IDC_BUTTON_OUTPUT_SETTINGS).IsEnabled());
        }
    });
    EXPECT_EQ(labels, (std::vector<std::string>{"Stop", "Convert"}));
    EXPECT_EQ(openEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(optionsEnabled, (std::vector<bool>{false, true}));
}

TEST_F(MainWindowTest, LayoutFollowsTheTemplateInPixels) {
    app::MainWindow window;
    const ui::BaseUnits units = window.baseUnits();
    ASSERT_GT(units.x, 0);
    ASSERT_GT(units.y, 0);
    std::vector<int> tabOrder;
    int focused = 0;
    Run(window, [&](app::MainWindow& w) {
        tabOrder = w.TabOrder();
        focused = w.FocusedId();
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            w.SaveScreenshot(std::string(dir) + "/main-window.png");
    });
    for (const auto& c : MainDialogTemplate().controls)
        EXPECT_EQ(window.Item(c.id).Geometry(), ui::DialogUnitsToPixels(c.rect, units)) << c.id;
    const auto client = ui::DialogUnitsToPixels({0, 0, 287, 140}, units);
    EXPECT_EQ(window.ClientRect().width, client.width);
    EXPECT_EQ(window.ClientRect().height, client.height);
    EXPECT_EQ(tabOrder,
              (std::vector<int>{IDC_BUTTON_EXIT, IDC_BUTTON_ADD_VIDEO, IDC_BUTTON_CONVERT,
                                IDC_BUTTON_OUTPUT_SETTINGS, IDC_BUTTON_HELP, IDC_BUTTON_QUEUE,
                                IDC_BUTTON_HOMEPAGE, IDC_BUTTON_ABOUT}));
    EXPECT_EQ(focused, IDC_BUTTON_EXIT);
}

}  // namespace
