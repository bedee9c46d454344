// Start-up with a settings file and a language file that are FIFOs: both read as
// empty, the window comes up at once, and neither FIFO is replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "FakeShell.h"
#include "TestEnv.h"
#include "Watchdog.h"
#include "app/MainWindow.h"
#include "i18n/LanguagePack.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"
#include "settings/Profile.h"

namespace {

bool IsFifo(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST(StartUpFaults, FifosAsSettingsAndLanguageFilesDoNotHoldUpTheWindow) {
    ui::SetApplicationName("quorvel-converter");
    FakeShell shell;
    ui::ScriptedAutomation automation;
    testenv::TempDir dir;
    const auto settings = dir / "user.reg";
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    std::filesystem::create_directories(dir / "language");
    const auto english = dir / "language" / "English.ini";
    ASSERT_EQ(::mkfifo(english.c_str(), 0600), 0);
    const std::string previous =
        std::getenv("QUORVEL_REGISTRY") ? std::getenv("QUORVEL_REGISTRY") : "";
    ::setenv("QUORVEL_REGISTRY", settings.c_str(), 1);

    std::string caption;
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration untilShown{};
    {
        testenv::Watchdog watchdog("start-up with FIFOs", std::chrono::seconds(20));
        // What the application does at start: the stored language, its file, the window.
        const std::string language =
            settings::Profile().GetString("Option", "CurrentLanguage", "english");
        i18n::LanguagePack::Instance().InitializeLanguages(dir.path().string(), language);
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog&) {
            untilShown = std::chrono::steady_clock::now() - start;
            caption = window.Caption();
            window.isConverting = 0;
            window.RequestClose();
        };
        window.RunModal();
    }
    ::setenv("QUORVEL_REGISTRY", previous.c_str(), 1);
    std::printf("window shown after %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(untilShown).count()));
    EXPECT_EQ(caption, "Quorvel Video Converter");
    EXPECT_TRUE(IsFifo(settings));
    EXPECT_TRUE(IsFifo(english));
}

TEST(StartUpFaults, AFifoAsTheUserFoldersFileLeavesTheDefaultVideoFolder) {
    // The real shell, as the window asks it for the video folder at start.
    testenv::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "user-dirs.dirs").c_str(), 0600), 0);
    std::filesystem::create_directories(shell::HomeFolder() + "/Videos");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    std::string folder;
    HRESULT hr = E_FAIL;
    {
        testenv::Watchdog watchdog("reading a FIFO as the user folders file",
                                   std::chrono::seconds(10));
        hr = shell::CurrentBackend().GetFolderPath(shell::CSIDL_MYVIDEO, folder);
    }
    if (old)
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(folder, shell::HomeFolder() + "/Videos");
}

}  // namespace
