// Reading the file once: a store keeps what it parsed until the file changes on
// disk, sees every change another writer makes, and sets aside files too large
// to be settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <fstream>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

constexpr const char* kKey = "Software\\QuorvelStudio\\quorvel-converter\\Settings";
constexpr std::size_t kLimit = 4 * 1024 * 1024;

// Bytes this process has read through read() so far.
std::uint64_t BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string label;
    std::uint64_t value = 0;
    while (io >> label >> value)
        if (label == "rchar:") return value;
    return 0;
}

// Moves the file's modification time an hour back, out of the coarse-tick window.
void Backdate(const std::filesystem::path& file) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[0].tv_sec -= 3600;
    times[1].tv_sec -= 3600;
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// A file in the registry syntax of about `bytes` bytes.
std::string FileOfSize(std::size_t bytes, std::uint32_t marker) {
    char number[16];
    std::snprintf(number, sizeof number, "%08x", marker);
    return "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\quorvel-converter\\Settings]\n"
           "\"marker\"=dword:" +
           std::string(number) + "\n\"padding\"=\"" + std::string(bytes, 'p') + "\"\n";
}

TEST(registrySettingsCache, AStoreReadsTheFileOnceUntilItChanges) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    testenv::WriteFile(file, FileOfSize(1024 * 1024, 1));
    Backdate(file);

    Store reader(file);
    ASSERT_EQ(reader.Get(kKey, "marker"), Value::Dword(1));
    const std::uint64_t before = BytesReadSoFar();
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(reader.Get(kKey, "marker"), Value::Dword(1));
        EXPECT_TRUE(reader.KeyExists(kKey));
    }
    // 25 more reads of the file would be 25 MB.
    EXPECT_LT(BytesReadSoFar() - before, 64u * 1024);

    // Another writer replaces the file: seen at the next read.
    ASSERT_TRUE(Store(file).Set(kKey, "marker", Value::Dword(2)));
    EXPECT_EQ(reader.Get(kKey, "marker"), Value::Dword(2));
    // The store's own write is seen too.
    ASSERT_TRUE(reader.Set(kKey, "marker", Value::Dword(3)));
    EXPECT_EQ(reader.Get(kKey, "marker"), Value::Dword(3));
    EXPECT_EQ(Store(file).Get(kKey, "marker"), Value::Dword(3));
}

TEST(registrySettingsCache, EditsInPlaceOfTheSameSizeWithinOneTickAreSeen) {
    // Same inode, same size, and often the same file time: only the bytes differ.
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store reader(file);
    for (std::uint32_t marker = 1; marker <= 40; ++marker) {
        testenv::WriteFile(file, FileOfSize(64, marker % 2 ? 0xAAAAAAAA : 0xBBBBBBBB));
        EXPECT_EQ(reader.Get(kKey, "marker"), Value::Dword(marker % 2 ? 0xAAAAAAAA : 0xBBBBBBBB))
            << marker;
    }
}

TEST(registrySettingsCache, AFileTooLargeForSettingsIsSetAsideIntact) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    const std::string large = FileOfSize(kLimit + 1000, 7);
    testenv::WriteFile(file, large);

    EXPECT_EQ(Store(file).Get(kKey, "marker"), std::nullopt);
    const auto aside = regtest::FilesStartingWith(dir.path(), "user.reg.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(testenv::ReadFile(aside[0]) == large);
    EXPECT_FALSE(std::filesystem::exists(file));

    // A write finding one does the same, and starts afresh.
    testenv::WriteFile(file, large);
    ASSERT_TRUE(Store(file).Set(kKey, "marker", Value::Dword(8)));
    EXPECT_EQ(regtest::FilesStartingWith(dir.path(), "user.reg.damaged-").size(), 2u);
    EXPECT_EQ(Store(file).Get(kKey, "marker"), Value::Dword(8));
    EXPECT_EQ(Store(file).Get(kKey, "padding"), std::nullopt);
}

TEST(registrySettingsCache, AWriteThatWouldMakeTheFileTooLargeIsRefused) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    ASSERT_TRUE(store.Set(kKey, "small", Value::String("kept")));
    const std::string before = testenv::ReadFile(file);
    EXPECT_FALSE(store.Set(kKey, "huge", Value::String(std::string(kLimit, 'h'))));
    EXPECT_FALSE(store.Set(kKey, "huge", Value::Binary(std::vector<std::uint8_t>(kLimit / 3))));
    EXPECT_EQ(testenv::ReadFile(file), before);
    EXPECT_EQ(store.Get(kKey, "small"), Value::String("kept"));
    // Just under the limit is fine.
    EXPECT_TRUE(store.Set(kKey, "big", Value::String(std::string(kLimit - 4096, 'b'))));
    EXPECT_EQ(Store(file).Get(kKey, "big")->text.size(), kLimit - 4096);
}

}  // namespace
