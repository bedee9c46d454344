// Faults around the registry file: a FIFO in its place, writers killed mid-write,
// and keys and values the text form cannot carry.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "Watchdog.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;
using namespace std::chrono_literals;

constexpr const char* kKey = "Software\\QuorvelStudio\\quorvel-converter\\Settings";

bool IsFifo(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST(registryFaults, AFifoAsTheFileReadsAsEmptyAndIsNeverWritten) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    testenv::Watchdog watchdog("reading a FIFO as the settings file", 10s);
    Store store(file);
    EXPECT_EQ(store.Get(kKey, "x"), std::nullopt);
    EXPECT_FALSE(store.KeyExists(kKey));
    EXPECT_FALSE(store.Set(kKey, "x", Value::Dword(1)));
    EXPECT_FALSE(store.DeleteKey(kKey));
    EXPECT_TRUE(IsFifo(file));
    EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged-").empty());
}

TEST(registryFaults, AFifoAsTheLockFileRefusesWritesAndReadsStillWork) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    ASSERT_TRUE(Store(file).Set(kKey, "x", Value::Dword(1)));
    std::filesystem::remove(dir / "user.reg.lock");
    ASSERT_EQ(::mkfifo((dir / "user.reg.lock").c_str(), 0600), 0);
    testenv::Watchdog watchdog("a FIFO as the lock file", 10s);
    Store store(file);
    EXPECT_FALSE(store.Set(kKey, "x", Value::Dword(2)));
    EXPECT_EQ(store.Get(kKey, "x"), Value::Dword(1));
}

TEST(registryFaults, AWriteRemovesWhatKilledWritersLeftAndNothingElse) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    // What a writer killed between creating and renaming its file leaves.
    testenv::WriteFile(dir / "user.reg.tmp-Ab12Cd", "Windows Registry Editor Version 5.00\n");
    testenv::WriteFile(dir / "user.reg.tmp-notsixchars", "not made by a writer");
    testenv::WriteFile(dir / "other.reg.tmp-Ab12Cd", "another file's");
    std::filesystem::create_directory(dir / "user.reg.tmp-folder");

    ASSERT_TRUE(Store(file).Set(kKey, "x", Value::Dword(1)));
    EXPECT_FALSE(std::filesystem::exists(dir / "user.reg.tmp-Ab12Cd"));
    EXPECT_TRUE(std::filesystem::exists(dir / "user.reg.tmp-notsixchars"));
    EXPECT_TRUE(std::filesystem::exists(dir / "other.reg.tmp-Ab12Cd"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "user.reg.tmp-folder"));
}

TEST(registryFaults, WritersKilledMidWriteLeaveNothingAfterTheNextWrite) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const Value big = Value::String(std::string(512 * 1024, 'v'));
    int leftBehind = 0;
    for (int attempt = 0; attempt < 20 && leftBehind == 0; ++attempt) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Store writer(file);
            for (std::uint32_t i = 0;; ++i) writer.Set(kKey, "n" + std::to_string(i % 3), big);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + attempt * 7));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        leftBehind =
            static_cast<int>(regtest::FilesStartingWith(dir.path(), "user.reg.tmp-").size());
    }
    std::printf("temporary files left by a killed writer: %d\n", leftBehind);
    ASSERT_TRUE(Store(file).Set(kKey, "after", Value::Dword(1)));
    EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.tmp-").empty());
    EXPECT_EQ(Store(file).Get(kKey, "after"), Value::Dword(1));
}

TEST(registryFaults, ALiveWritersTemporaryFileIsLeftAlone) {
    // A writer holds the lock while its temporary file exists; another writer
    // waits for the lock and only then cleans up.
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const auto inProgress = dir / "user.reg.tmp-LiVe01";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int lock = ::open((dir / "user.reg.lock").c_str(), O_RDWR | O_CREAT, 0600);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0) ::_exit(2);
        testenv::WriteFile(inProgress, "half written");
        (void)!::write(ready[1], "x", 1);
        std::this_thread::sleep_for(300ms);
        ::_exit(std::filesystem::exists(inProgress) ? 0 : 1);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(Store(file).Set(kKey, "x", Value::Dword(1)));  // waits for the child
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "removed while in progress";
    EXPECT_FALSE(std::filesystem::exists(inProgress)) << "left after the owner died";
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(registryFaults, KeysEndingInBlanksReadBackAsWritten) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string base = "Software\\QuorvelStudio\\quorvel-converter\\";
    const std::vector<std::string> keys = {base + " spaced ", base + "tab\t", base + "\t x \t",
                                           base + "a ]", base + " ;not a comment"};
    for (const auto& key : keys) {
        ASSERT_TRUE(Store(file).Set(key, "lfHeight", Value::Dword(0xFFFFFFF0))) << key;
        ASSERT_TRUE(Store(file).Set(key, " name ", Value::String(" value\t"))) << key;
    }
    Store reader(file);
    for (const auto& key : keys) {
        EXPECT_TRUE(reader.KeyExists(key)) << key;
        EXPECT_EQ(reader.Get(key, "lfHeight"), Value::Dword(0xFFFFFFF0)) << key;
        EXPECT_EQ(reader.Get(key, " name "), Value::String(" value\t")) << key;
    }
    EXPECT_FALSE(reader.KeyExists(base + " spaced"));
    EXPECT_FALSE(reader.KeyExists(base + "tab"));
}

TEST(registryFaults, WhatTheTextFormCannotGiveBackIsRefused) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    ASSERT_TRUE(Store(file).Set(kKey, "kept", Value::Dword(1)));
    const std::string before = testenv::ReadFile(file);
    Value stray = Value::String("text");
    stray.dword = 5;  // a field the type does not use
    const std::vector<std::pair<std::string, Value>> refused = {
        {"line\nbreak", Value::Dword(1)},
        {"carriage\rreturn", Value::Dword(1)},
        {std::string("nul\0key", 7), Value::Dword(1)},
        // Would read back as a string, a binary or a DWORD.
        {"Software\\X", Value::Other(registry::kRegSz, {'a', 0, 0, 0})},
        {"Software\\X", Value::Other(registry::kRegBinary, {1, 2})},
        {"Software\\X", Value::Other(registry::kRegDword, {1, 2, 3, 4})},
        {"Software\\X", stray},
    };
    Store store(file);
    for (const auto& [key, value] : refused) {
        EXPECT_FALSE(store.Set(key, "v", value)) << key;
        EXPECT_FALSE(store.SetIfKeyExists(key, "v", value)) << key;
    }
    EXPECT_EQ(testenv::ReadFile(file), before);
    // Other types the text form carries as they are.
    EXPECT_TRUE(store.Set(kKey, "short", Value::Other(registry::kRegDword, {1, 2})));
    EXPECT_TRUE(store.Set(kKey, "odd", Value::Other(registry::kRegSz, {'a'})));
    EXPECT_EQ(Store(file).Get(kKey, "short"), Value::Other(registry::kRegDword, {1, 2}));
    EXPECT_EQ(Store(file).Get(kKey, "odd"), Value::Other(registry::kRegSz, {'a'}));
}

TEST(registryFaults, EverythingSetAcceptsReadsBackIdentically) {
    // Random keys, names and texts built from the characters the text form
    // treats specially, checked through a second store reading the file.
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string alphabet =
        std::string("ab \t\\\"[]@=;-:\r\n\x01\x7F\xC3\xA9\xFF", 20) + std::string(1, '\0');
    std::mt19937 random(20261207);
    auto text = [&](std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    Store writer(file);
    int accepted = 0;
    for (int i = 0; i < 120; ++i) {
        const std::string key = "Software\\" + text(6) + "\\" + text(6);
        const std::string name = text(6);
        Value value;
        switch (random() % 4) {
            case 0:
                value = Value::String(text(12));
                break;
            case 1:
                value = Value::Dword(static_cast<std::uint32_t>(random()));
                break;
            case 2:
                value = Value::Binary({static_cast<std::uint8_t>(random()), 0});
                break;
            default:
                value = Value::Other(static_cast<std::uint32_t>(random() % 12),
                                     {static_cast<std::uint8_t>(random()), 0, 0, 0});
        }
        if (!writer.Set(key, name, value)) continue;
        ++accepted;
        EXPECT_EQ(Store(file).Get(key, name), value) << "key [" << key << "] name [" << name << "]";
    }
    EXPECT_GT(accepted, 40);
}

TEST(registryFaults, KeysAWriteKeepsFromAFileAreWrittenSoTheyReadBack) {
    // Found by fuzzing: blanks after leading separators made a key that the
    // next read took as empty, and the whole file was then set aside as damaged.
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    for (const std::string& text : {std::string("REGEDIT4\r\n\r\n\t[\\\t\t\\\\\\\\]"),
                                    std::string("REGEDIT4\n[ HKEY_CURRENT_USER\\Software\\A ]\n"),
                                    std::string("REGEDIT4\n[\\ \\x]\n\"v\"=dword:1\n")}) {
        testenv::WriteFile(file, text);
        ASSERT_TRUE(Store(file).Set(kKey, "written", Value::Dword(1))) << text;
        const std::string written = testenv::ReadFile(file);
        EXPECT_EQ(Store(file).Get(kKey, "written"), Value::Dword(1)) << written;
        EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged-").empty()) << written;
        // Written again unchanged: what was read is what was written.
        ASSERT_TRUE(Store(file).Set(kKey, "written", Value::Dword(1)));
        EXPECT_EQ(testenv::ReadFile(file), written);
    }
}

}  // namespace
