// A file that cannot be parsed is moved aside, never overwritten, and reading
// starts empty.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

const std::string kGoodStart =
    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\K]\n"
    "\"good\"=dword:00000001\n";

class registryDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(registryDamaged, IsMovedAsideAndReadingStartsEmpty) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string content = GetParam();
    testenv::WriteFile(file, content);

    Store store(file);
    EXPECT_FALSE(store.Get("Software\\K", "good").has_value());
    EXPECT_FALSE(store.KeyExists("Software\\K"));

    const auto aside = regtest::FilesStartingWith(dir.path(), "user.reg.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(testenv::ReadFile(aside[0]), content);
    EXPECT_FALSE(std::filesystem::exists(file));
    // "<file>.damaged-YYYYMMDD-HHMMSS"
    const std::string stamp =
        aside[0].filename().string().substr(std::string("user.reg.damaged-").size());
    ASSERT_GE(stamp.size(), 15u);
    EXPECT_EQ(stamp[8], '-');

    // Writing afterwards starts a new file and leaves the damaged copy alone.
    ASSERT_TRUE(store.Set("Software\\K", "new", Value::Dword(2)));
    EXPECT_EQ(store.Get("Software\\K", "new"), Value::Dword(2));
    EXPECT_EQ(testenv::ReadFile(aside[0]), content);
}

INSTANTIATE_TEST_SUITE_P(
    Files, registryDamaged,
    ::testing::Values(
        std::string("just some text\n"),
        std::string("[HKEY_CURRENT_USER\\Software\\K]\n\"good\"=dword:00000001\n"),  // no header
        kGoodStart + "garbage line\n", kGoodStart + "\"bad\"=hex:01,zz,03\n",
        kGoodStart + "\"bad\"=hex:01,\\\n  123\n", kGoodStart + "\"bad\"=dword:123456789\n",
        kGoodStart + "\"bad\"=dword:xyz\n", kGoodStart + "\"bad\"=\"unterminated\n",
        kGoodStart + "\"bad\"=\"text\" trailing\n", kGoodStart + "\"bad\"=hex(zz):01\n",
        kGoodStart + "\"bad\"\n", kGoodStart + "[HKEY_CURRENT_USER\\Software\\Unclosed\n",
        kGoodStart + "[]\n", kGoodStart + "\"bad\"=12345\n",
        std::string("\xFF\xFEW\0i\0n", 7),  // UTF-16 of odd length
        std::string("\x7F"
                    "ELF\x02\x01\x01\0\0\0",
                    10)),
    [](const ::testing::TestParamInfo<std::string>& param) {
        return "case" + std::to_string(param.index);
    });

TEST(registryDamagedFile, WriteToADamagedFileMovesItAsideFirst) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string content = kGoodStart + "%%% broken %%%\n";
    testenv::WriteFile(file, content);

    Store store(file);
    ASSERT_TRUE(store.Set("Software\\K", "v", Value::Dword(3)));
    const auto aside = regtest::FilesStartingWith(dir.path(), "user.reg.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(testenv::ReadFile(aside[0]), content);
    EXPECT_EQ(store.Get("Software\\K", "v"), Value::Dword(3));
    EXPECT_FALSE(store.Get("Software\\K", "good").has_value());
}

// An editor saving the file in place (emptied, half written, a pause, the rest) is
// waited for; a damaged file is set aside, and the store tells where it went.
TEST(registryDamagedFile, AFileSavedInPlaceIsWaitedForAndOnlyDamageIsSetAside) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string text = kGoodStart + "\"more\"=\"text\"\n";
    std::thread editor([&] {
        std::ofstream out(file, std::ios::trunc);
        out << text.substr(0, 70) << std::flush;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        out << text.substr(70);
    });
    ASSERT_TRUE(testenv::WaitUntil([&] { return testenv::ReadFile(file).size() == 70; }, 5000));
    Store store(file);
    EXPECT_EQ(store.Get("Software\\K", "more"), Value::String("text"));
    editor.join();
    EXPECT_TRUE(store.TakeSetAside().empty());

    testenv::WriteFile(file, text + "garbage\n");
    EXPECT_FALSE(store.Get("Software\\K", "more"));
    EXPECT_EQ(store.TakeSetAside(), regtest::FilesStartingWith(dir.path(), "user.reg.damaged-"));
}

TEST(registryDamagedFile, EachDamagedFileGetsItsOwnName) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    for (int i = 0; i < 3; ++i) {
        testenv::WriteFile(file, "damaged number " + std::to_string(i) + "\n");
        EXPECT_FALSE(store.KeyExists("Software"));
    }
    const auto aside = regtest::FilesStartingWith(dir.path(), "user.reg.damaged-");
    ASSERT_EQ(aside.size(), 3u);
    std::set<std::string> contents;
    for (const auto& f : aside) contents.insert(testenv::ReadFile(f));
    EXPECT_EQ(contents, (std::set<std::string>{"damaged number 0\n", "damaged number 1\n",
                                               "damaged number 2\n"}));
}

TEST(registryDamagedFile, DamagedFileInAReadOnlyPlaceIsNeitherMovedNorOverwritten) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string content = "not a registry file\n";
    testenv::WriteFile(file, content);
    // The lock cannot be taken (its name is a folder): nothing may be changed.
    std::filesystem::create_directory(dir / "user.reg.lock");

    Store store(file);
    EXPECT_FALSE(store.Get("Software\\K", "good").has_value());
    EXPECT_FALSE(store.Set("Software\\K", "v", Value::Dword(1)));
    EXPECT_EQ(testenv::ReadFile(file), content);
    EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged-").empty());
}

TEST(registryDamagedFile, CorruptedFilesNeverCrashAndAreKeptOrMovedAsideIntact) {
    const std::string good =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\K]\n"
        "\"s\"=\"a \\\"quoted\\\" \\\\ text\"\n\"d\"=dword:0000002a\n"
        "\"b\"=hex:01,02,03,\\\n  04,05\n\"e\"=hex(2):41,00,00,00\n@=\"x\"\n\n";
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::string content = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % content.size();
            switch (random() % 3) {
                case 0:
                    content[at] = static_cast<char>(random() % 256);
                    break;
                case 1:
                    content.erase(at, 1 + random() % 8);
                    break;
                default:
                    content.insert(at, 1, "\\\"[],=:\n\r\0"[random() % 10]);
                    break;
            }
            if (content.empty()) content = "x";
        }
        if (round % 3 == 0)
            content = regtest::Utf16LeWithBom(good).substr(0, random() % 200) + content;

        testenv::TempDir dir;
        const auto file = dir / "user.reg";
        testenv::WriteFile(file, content);
        // Damaged long before: no editor can be saving it now.
        std::filesystem::last_write_time(
            file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        Store store(file);
        (void)store.Get("Software\\K", "s");
        (void)store.KeyExists("Software\\K");
        const auto aside = regtest::FilesStartingWith(dir.path(), "user.reg.damaged-");
        if (aside.empty()) {
            EXPECT_EQ(testenv::ReadFile(file), content) << "round " << round;
        } else {
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_EQ(testenv::ReadFile(aside[0]), content) << "round " << round;
        }
        ASSERT_TRUE(store.Set("Software\\K", "after", Value::Dword(1))) << "round " << round;
        EXPECT_EQ(store.Get("Software\\K", "after"), Value::Dword(1)) << "round " << round;
    }
}

}  // namespace
