// Language files that are no files (a FIFO, a device) and text that is no UTF-8.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "TestEnv.h"
#include "Watchdog.h"
#include "platform/profile/Folder.h"
#include "platform/profile/ProfileFile.h"

namespace {

using namespace std::chrono_literals;
using profile::ProfileFile;
using profile::ReadOptions;

TEST(ProfileFileFaults, AFifoOrADeviceReadsAsAMissingFile) {
    testenv::TempDir dir;
    const std::string fifo = (dir / "German.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    testenv::Watchdog watchdog("reading a FIFO as a language file", 10s);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        EXPECT_FALSE(profile::FileExists(path)) << path;
        EXPECT_FALSE(profile::ReadRegularFile(path)) << path;
        EXPECT_EQ(ProfileFile::Load(path).GetString("s", "k", "default"), "default") << path;
        EXPECT_EQ(profile::GetPrivateProfileString("s", "k", "d", path), "d") << path;
    }
    EXPECT_EQ(profile::FindIgnoringCase(dir.path().string(), "german.ini"), fifo);
}

TEST(ProfileFileFaults, ARegularFileReadsWhole) {
    testenv::TempDir dir;
    std::string big = "[s]\n";
    for (int i = 0; i < 20000; ++i)
        big += "k" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
    testenv::WriteFile(dir / "big.ini", big);
    EXPECT_EQ(profile::ReadRegularFile((dir / "big.ini").string()), big);
    EXPECT_EQ(ProfileFile::Load((dir / "big.ini").string()).GetString("s", "k19999", ""), "v19999");
}

TEST(ProfileFileFaults, CodePage65001MarksInvalidUtf8LikeTheOtherDecoders) {
    // Surrogates, overlong forms, stray continuation bytes, bytes never used,
    // and a sequence cut short at the end: each bad byte becomes U+FFFD.
    const std::string bad = "a\xED\xA0\x80|\xC0\xAF|\x80|\xFF|\xF4\x90\x80\x80|\xE4\xBD";
    const std::string decoded = profile::CodePageToUtf8(bad, 65001);
    EXPECT_TRUE(profile::IsValidUtf8(decoded)) << decoded;
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(decoded, "a" + r + r + r + "|" + r + r + "|" + r + "|" + r + "|" + r + r + r + r +
                           "|" + r + r);
    // Valid text passes unchanged, as through the other decoders.
    const std::string good =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE8\xAF\xAD \xF0\x9F\x8E\xAC";
    EXPECT_EQ(profile::CodePageToUtf8(good, 65001), good);

    ReadOptions utf8;
    utf8.ansiCodePage = 65001;
    const std::string value =
        ProfileFile::FromBytes("[s]\nk=x\xED\xA0\x80y", utf8).GetString("s", "k", "");
    EXPECT_TRUE(profile::IsValidUtf8(value));
    EXPECT_EQ(value, "x" + r + r + r + "y");
}

}  // namespace
