// The user's videos folder on an account as it comes: found the XDG way, made when
// missing, the home folder when it cannot be made.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>

#include "TestEnv.h"
#include "platform/shell/Shell.h"

namespace {

namespace fs = std::filesystem;

class VideoFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = {Get("HOME"), Get("XDG_CONFIG_HOME")};
        setenv("HOME", home.path().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        fs::create_directories(home / ".config");
    }
    void TearDown() override {
        setenv("HOME", saved_[0].c_str(), 1);
        if (saved_[1].empty()) unsetenv("XDG_CONFIG_HOME");
        else setenv("XDG_CONFIG_HOME", saved_[1].c_str(), 1);
    }
    static std::string Get(const char* name) {
        const char* v = std::getenv(name);
        return v ? v : "";
    }
    static HRESULT Ask(std::string& folder) {
        return shell::CurrentBackend().GetFolderPath(shell::CSIDL_MYVIDEO, folder);
    }

    testenv::TempDir home;
    std::array<std::string, 2> saved_;
};

TEST_F(VideoFolderTest, AFreshAccountGetsItsVideosFolderMade) {
    std::string folder;
    ASSERT_EQ(Ask(folder), S_OK);
    EXPECT_EQ(folder, (home / "Videos").string());
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(VideoFolderTest, TheDesktopsOwnNameForTheFolderIsUsed) {
    testenv::WriteFile(home / ".config/user-dirs.dirs",
                       "# written by xdg-user-dirs-update\nXDG_VIDEOS_DIR=\"$HOME/Filme\"\n");
    std::string folder;
    ASSERT_EQ(Ask(folder), S_OK);
    EXPECT_EQ(folder, (home / "Filme").string());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(home / "Videos"));
}

TEST_F(VideoFolderTest, AFolderThatCannotBeMadeFallsBackToHome) {
    testenv::WriteFile(home / "blocker", "a file, not a folder");
    testenv::WriteFile(home / ".config/user-dirs.dirs",
                       "XDG_VIDEOS_DIR=\"$HOME/blocker/Videos\"\n");
    std::string folder;
    ASSERT_EQ(Ask(folder), S_OK);
    EXPECT_EQ(folder, home.path().string());
}

TEST_F(VideoFolderTest, WithoutAnyUsableFolderItFails) {
    testenv::WriteFile(home / "not-a-home", "x");
    setenv("HOME", (home / "not-a-home").c_str(), 1);
    std::string folder = "unchanged";
    EXPECT_EQ(Ask(folder), E_FAIL);
    EXPECT_EQ(folder, "unchanged");
}

}  // namespace
