// Test entry: isolates the process from the real home folder, then runs GoogleTest
// inside a Qt application object so that windows and timers work headless.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "TestEnv.h"

int main(int argc, char** argv) {
    const auto root = testenv::ProcessRoot();
    const auto home = root / "home";
    std::filesystem::create_directories(home / ".config");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    std::filesystem::create_directories(root / "runtime");
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::setenv("QUORVEL_REGISTRY", (root / "user.reg").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return rc;
}
