// The desktop opener: started means shown, so a missing or failing opener is a
// failure the program can answer with its own viewer.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "TestEnv.h"
#include "platform/shell/Shell.h"

namespace {

namespace fs = std::filesystem;

class OpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", bin.path().c_str(), 1);  // nothing but the opener we write
        fs::create_directories(program / "help");
        testenv::WriteFile(program / "help" / "Introduction.htm", "<p>intro</p>");
    }
    void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }
    void Opener(const std::string& body) {
        const fs::path script = bin / "xdg-open";
        testenv::WriteFile(script, "#!/bin/sh\n" + body + "\n");
        ::chmod(script.c_str(), 0755);
    }
    int StartHelp() {
        return shell::CurrentBackend().StartHelpViewer((program / "help.chm::/Introduction.htm").string());
    }

    testenv::TempDir bin;
    testenv::TempDir program;
    std::string savedPath_;
};

TEST_F(OpenerTest, NoOpenerAtAllFails) {
    EXPECT_LE(StartHelp(), 31);
    EXPECT_LE(shell::CurrentBackend().Open("/tmp"), 32);
}

TEST_F(OpenerTest, AnOpenerThatGivesUpFails) {
    Opener("exit 3");  // what xdg-open answers when no program takes the file
    EXPECT_LE(StartHelp(), 31);
    EXPECT_LE(shell::CurrentBackend().Open("/tmp"), 32);
}

TEST_F(OpenerTest, AnOpenerThatHandsOnOrKeepsRunningSucceeds) {
    Opener("echo \"$1\" > \"${0%/*}/opened\"");
    EXPECT_GT(StartHelp(), 31);
    EXPECT_EQ(testenv::ReadFile(bin / "opened"), (program / "help" / "Introduction.htm").string() + "\n");
    Opener("exec /bin/sleep 3");  // a browser kept in the foreground
    EXPECT_GT(shell::CurrentBackend().Open("/tmp"), 32);
}

TEST_F(OpenerTest, TheOpenerDoesNotHoldOurStandardStreams) {
    // A browser started by the opener lives on after the program: with our output
    // streams it would keep whoever reads them waiting after the program has ended.
    Opener("a=$(/bin/readlink /proc/$$/fd/0) b=$(/bin/readlink /proc/$$/fd/1) "
           "c=$(/bin/readlink /proc/$$/fd/2)\n"
           "echo \"$a $b $c\" > \"${0%/*}/streams\"");
    EXPECT_GT(StartHelp(), 31);
    EXPECT_EQ(testenv::ReadFile(bin / "streams"), "/dev/null /dev/null /dev/null\n");
}

TEST_F(OpenerTest, AMissingHelpPageIsNeverHandedToTheOpener) {
    Opener("exit 0");
    fs::remove(program / "help" / "Introduction.htm");
    EXPECT_LE(StartHelp(), 31);
}

}  // namespace
