// Help, Homepage and About from every route, in every state, headless through
// the ui automation and a recording shell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <unistd.h>

#include "FakeShell.h"
#include "TestEnv.h"
#include "app/HelpAndAbout.h"
#include "app/MainWindow.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/MessageBox.h"
#include "resources/AboutDialogTemplate.h"
#include "resources/Resources.h"

namespace {

using namespace resources;

constexpr int kConversionTimer = 1112;

// The main window with its command routing reachable, as menus and the
// framework reach it, and its timer ticks counted.
class TestWindow : public app::MainWindow {
public:
    using app::MainWindow::OnCommand;
    int ticks = 0;
    std::function<void()> onTick;

protected:
    void OnTimer(int id) override {
        if (id == kConversionTimer) ++ticks;
        app::MainWindow::OnTimer(id);
        if (onTick) onTick();
    }
};

class HelpAndAboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetApplicationName("quorvel-converter");
        automation.onDialogShown = [this](ui::Dialog& d) {
            if (d.templateId() == IDD_ABOUTBOX) {
                abouts.push_back({d.Caption(), d.Item(IDC_STATIC_PROGRAM_NAME).Text(),
                                  d.Item(IDC_STATIC_VERSION).Text(), d.owner()});
                if (onAbout) onAbout(d);
                else if (d.IsRunning()) d.Item(ui::IDOK).Click();
            } else if (d.templateId() == IDD_MAIN) {
                script(window);
                if (window.IsRunning()) {
                    window.isConverting = 0;
                    window.RequestClose();
                }
            }
        };
    }

    void Run(std::function<void(TestWindow&)> s) {
        script = std::move(s);
        window.RunModal();
    }

    struct AboutSeen {
        std::string caption, name, version;
        ui::Dialog* owner = nullptr;
    };

    testenv::ScopedRegistry scopedRegistry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
    TestWindow window;
    std::function<void(TestWindow&)> script;
    std::function<void(ui::Dialog&)> onAbout;
    std::vector<AboutSeen> abouts;
};

TEST_F(HelpAndAboutTest, HelpOpensTheIntroductionBesideTheProgramFromButtonAndF1) {
    Run([](TestWindow& w) {
        w.Item(IDC_BUTTON_HELP).Click();
        w.PressKey("F1");
    });
    const std::string target = shell::ExecutableFolder() + "help.chm::/Introduction.htm";
    EXPECT_EQ(shell.helpPages, (std::vector<std::string>{target, target}));
    EXPECT_EQ(app::HelpCommandTarget(), target);
    EXPECT_TRUE(automation.boxes.empty());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(HelpAndAboutTest, HelpLocationsMapToPagesInsideTheHelpFolder) {
    EXPECT_EQ(shell::HelpPageFile("/opt/quorvel/help.chm::/Introduction.htm"),
              "/opt/quorvel/help/Introduction.htm");
    EXPECT_EQ(shell::HelpPageFile("/a b/help.chm::/Messages.htm"), "/a b/help/Messages.htm");
    EXPECT_EQ(shell::HelpPageFile("/opt/quorvel/Introduction.htm"), "");
    EXPECT_EQ(shell::HelpPageFile("/opt/quorvel/help.chm::/"), "");
    EXPECT_EQ(shell::HelpPageFile("/opt/quorvel/help.chm::/../../etc/passwd"), "");
    EXPECT_EQ(shell::HelpPageFile("/opt/quorvel/help.chm::/a/../../x.htm"), "");
}

// The help pages beside the test program, where the program looks for them.
void PutHelpBesideTheProgram() {
#ifdef QUORVEL_HELP_BUILD_DIR
    const std::filesystem::path help = shell::ExecutableFolder() + "help";
    std::filesystem::create_directories(help);
    // Each file whole or not at all: test processes may run side by side.
    for (const auto& entry : std::filesystem::directory_iterator(QUORVEL_HELP_BUILD_DIR)) {
        const auto part = help / (entry.path().filename().string() + "." +
                                  std::to_string(::getpid()));
        std::filesystem::copy_file(entry.path(), part,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(part, help / entry.path().filename());
    }
#endif
}

TEST_F(HelpAndAboutTest, HomepageOpensTheHelpsOwnHomePageNeverAnInventedAddress) {
    PutHelpBesideTheProgram();
    shell.openResult = 33;  // the lowest success
    Run([&](TestWindow& w) { w.Item(IDC_BUTTON_HOMEPAGE).Click(); });
    const std::string home = shell::ExecutableFolder() + "help/Home.htm";
    EXPECT_EQ(app::HomePageFile(), home);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{home}));
    EXPECT_TRUE(std::filesystem::is_regular_file(home));
    EXPECT_TRUE(automation.boxes.empty());
    EXPECT_EQ(ui::HelpViewerPage(), "") << "the browser showed it";
}

TEST_F(HelpAndAboutTest, WithoutABrowserTheProgramsOwnViewerShowsHelpAndHomePage) {
    PutHelpBesideTheProgram();
    shell.openResult = 32;  // the highest failure
    shell.helpResult = 31;
    std::string helpShown, homeShown;
    bool screenshot = false;
    Run([&](TestWindow& w) {
        w.PressKey("F1");
        helpShown = ui::HelpViewerPage();
        w.Item(IDC_BUTTON_HOMEPAGE).Click();
        homeShown = ui::HelpViewerPage();
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            screenshot = ui::SaveHelpViewerScreenshot(std::string(dir) + "/help-viewer.png");
        ui::CloseHelpViewer();
    });
    EXPECT_EQ(helpShown, shell::ExecutableFolder() + "help/Introduction.htm");
    EXPECT_EQ(homeShown, shell::ExecutableFolder() + "help/Home.htm");
    EXPECT_TRUE(automation.boxes.empty());
    EXPECT_EQ(ui::HelpViewerPage(), "");
    if (std::getenv("QUORVEL_SCREENSHOT_DIR")) {
        EXPECT_TRUE(screenshot);
    }
}

TEST_F(HelpAndAboutTest, AnOpenerThatGivesUpLateStillGetsThePageShown) {
    // The real shell, with an opener that searches a while for a browser and finds none.
    PutHelpBesideTheProgram();
    shell::InstallBackend(nullptr);
    testenv::TempDir bin;
    testenv::WriteFile(bin / "xdg-open", "#!/bin/sh\n/bin/sleep 1.5\nexit 3\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.path().c_str(), 1);
    std::string shown;
    Run([&](TestWindow& w) {
        w.Item(IDC_BUTTON_HELP).Click();  // taken as started: still searching after a second
        testenv::WaitUntil([] { return !ui::HelpViewerPage().empty(); }, 20000);
        shown = ui::HelpViewerPage();
        ui::CloseHelpViewer();
    });
    setenv("PATH", path.c_str(), 1);
    shell::InstallBackend(&shell);
    EXPECT_EQ(shown, shell::ExecutableFolder() + "help/Introduction.htm");
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(HelpAndAboutTest, AboutOpensFromButtonMenuAndSystemMenu) {
    Run([](TestWindow& w) {
        w.Item(IDC_BUTTON_ABOUT).Click();
        w.OnCommand(IDM_ABOUT);
        w.SysCommand(IDM_ABOUTBOX);
        w.SysCommand(31);  // the low four bits are the system's own
    });
    ASSERT_EQ(abouts.size(), 4u);
    for (const auto& seen : abouts) {
        EXPECT_EQ(seen.caption, "About");
        EXPECT_EQ(seen.name, kProgramTitle);
        EXPECT_EQ(seen.version, std::string("Version ") + program::kVersion);
        EXPECT_EQ(seen.owner, &window);
    }
    EXPECT_FALSE(window.IsRunning());
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(HelpAndAboutTest, OtherSystemCommandsKeepTheirOwnHandling) {
    bool minimized = false, runningAfterMove = false;
    Run([&](TestWindow& w) {
        w.SysCommand(15);
        w.SysCommand(32);
        w.SysCommand(ui::SC_MOVE);
        runningAfterMove = w.IsRunning();
        w.SysCommand(ui::SC_MINIMIZE);
        minimized = w.IsMinimized();
        w.SysCommand(ui::SC_RESTORE);
        w.SysCommand(ui::SC_CLOSE);  // through the close procedure
    });
    EXPECT_TRUE(abouts.empty());
    EXPECT_TRUE(runningAfterMove);
    EXPECT_TRUE(minimized);
    EXPECT_FALSE(window.IsRunning());
    const auto language = registry::Store(scopedRegistry.file())
                              .Get("Software\\QuorvelStudio\\quorvel-converter\\Option",
                                   "CurrentLanguage");
    EXPECT_TRUE(language.has_value());  // the close procedure ran
}

TEST_F(HelpAndAboutTest, AboutEndsWithOkEscapeOrItsCloseBox) {
    std::vector<std::function<void(ui::Dialog&)>> endings = {
        [](ui::Dialog& d) { d.PressKey("Return"); },
        [](ui::Dialog& d) { d.PressKey("Escape"); },
        [](ui::Dialog& d) { d.RequestClose(); },
    };
    std::vector<bool> endedByEach;
    std::size_t current = 0;
    onAbout = [&](ui::Dialog& d) {
        endings[current](d);
        endedByEach.push_back(!d.IsRunning());
        if (d.IsRunning()) d.Item(ui::IDOK).Click();  // do not hang the test
    };
    Run([&](TestWindow& w) {
        for (current = 0; current < endings.size(); ++current) w.OnAbout();
    });
    EXPECT_EQ(endedByEach, (std::vector<bool>{true, true, true}));
}

TEST_F(HelpAndAboutTest, HelpHomepageAndAboutDoNotDisturbARunningConversion) {
    // The About box stays open until the conversion timer has ticked three
    // times under it, so the test passes only if ticks keep arriving.
    int ticksAtOpen = -1;
    ui::Dialog* openAbout = nullptr;
    onAbout = [&](ui::Dialog& d) {
        openAbout = &d;
        ticksAtOpen = window.ticks;
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            d.SaveScreenshot(std::string(dir) + "/about-box.png");
    };
    window.onTick = [&] {
        if (openAbout && window.ticks - ticksAtOpen >= 3) {
            ui::Dialog* about = openAbout;
            openAbout = nullptr;
            about->Item(ui::IDOK).Click();
        }
    };
    std::string convertLabel;
    bool timerAfter = false, openEnabled = true;
    Run([&](TestWindow& w) {
        w.isConverting = 1;
        w.ApplyState();
        w.SetTimer(kConversionTimer, 1);
        w.Item(IDC_BUTTON_HELP).Click();
        w.Item(IDC_BUTTON_HOMEPAGE).Click();
        w.Item(IDC_BUTTON_ABOUT).Click();
        timerAfter = w.HasTimer(kConversionTimer);
        convertLabel = w.Item(IDC_BUTTON_CONVERT).Text();
        openEnabled = w.Item(IDC_BUTTON_ADD_VIDEO).IsEnabled();
        EXPECT_EQ(w.isConverting, 1);
    });
    ASSERT_EQ(abouts.size(), 1u);
    EXPECT_GE(window.ticks - ticksAtOpen, 3);
    EXPECT_TRUE(timerAfter);
    EXPECT_EQ(convertLabel, "Stop");
    EXPECT_FALSE(openEnabled);
    EXPECT_EQ(shell.helpPages.size(), 1u);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(automation.boxes.empty());
}

}  // namespace
