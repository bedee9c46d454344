// The application profile: signed integers, strings and bytes by (section, key).
#include <gtest/gtest.h>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::AppProfile;
using registry::Store;
using registry::Value;

TEST(registryAppProfile, SectionKeyIsUnderCompanyAndApplication) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    AppProfile profile(store, "QuorvelStudio", "quorvel-converter");
    EXPECT_EQ(profile.SectionKey("Settings"),
              "Software\\QuorvelStudio\\quorvel-converter\\Settings");
    EXPECT_EQ(&profile.store(), &store);
}

TEST(registryAppProfile, IntegersAreSigned32Bit) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    AppProfile profile(store, "QuorvelStudio", "quorvel-converter");
    ASSERT_TRUE(profile.WriteInt("DexVideoCompress", "CompressorNumber", -1));
    ASSERT_TRUE(profile.WriteInt("DexAudioCompress", "CompressorNumber", -2));
    ASSERT_TRUE(profile.WriteInt("Settings", "n_video_bitrate", 798720));
    ASSERT_TRUE(profile.WriteInt("Settings", "min", INT32_MIN));

    AppProfile again(store, "QuorvelStudio", "quorvel-converter");
    EXPECT_EQ(again.GetInt("DexVideoCompress", "CompressorNumber", 7), -1);
    EXPECT_EQ(again.GetInt("DexAudioCompress", "CompressorNumber", 7), -2);
    EXPECT_EQ(again.GetInt("Settings", "n_video_bitrate", 0), 798720);
    EXPECT_EQ(again.GetInt("Settings", "min", 0), INT32_MIN);
    EXPECT_EQ(store.Get(again.SectionKey("DexVideoCompress"), "CompressorNumber"),
              Value::Dword(0xFFFFFFFFu));
    EXPECT_NE(testenv::ReadFile(store.Path()).find("\"CompressorNumber\"=dword:ffffffff"),
              std::string::npos);
}

TEST(registryAppProfile, AbsentOrOtherTypeGivesTheDefault) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    AppProfile profile(store, "QuorvelStudio", "app");
    EXPECT_EQ(profile.GetInt("Settings", "nOuptputFormat", 0), 0);
    EXPECT_EQ(profile.GetInt("Settings", "n_audio_bitrate", 128000), 128000);
    EXPECT_EQ(profile.GetString("Settings", "OutputName", "c:\\output.webm"), "c:\\output.webm");
    EXPECT_FALSE(profile.GetBinary("Font", "LOGFONT").has_value());

    ASSERT_TRUE(profile.WriteString("Settings", "asText", "12"));
    ASSERT_TRUE(profile.WriteInt("Settings", "asNumber", 12));
    ASSERT_TRUE(profile.WriteBinary("Settings", "asBytes", {12, 0, 0, 0}));
    EXPECT_EQ(profile.GetInt("Settings", "asText", 5), 5);
    EXPECT_EQ(profile.GetInt("Settings", "asBytes", 5), 5);
    EXPECT_EQ(profile.GetString("Settings", "asNumber", "d"), "d");
    EXPECT_FALSE(profile.GetBinary("Settings", "asNumber").has_value());
    EXPECT_EQ(profile.GetString("Settings", "asText", "d"), "12");
    EXPECT_EQ(profile.GetBinary("Settings", "asBytes"), (std::vector<std::uint8_t>{12, 0, 0, 0}));
}

TEST(registryAppProfile, StringsKeepEveryCharacter) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    AppProfile profile(store, "QuorvelStudio", "app");
    const std::string path = "/home/jürgen/Vidéos/\"quoted\" \\back\\slash\\ 映画.webm";
    ASSERT_TRUE(profile.WriteString("Settings", "OutputName", path));
    ASSERT_TRUE(profile.WriteString("Settings", "OutputFrameRate", "23.976"));
    EXPECT_EQ(profile.GetString("Settings", "OutputName", ""), path);
    EXPECT_EQ(profile.GetString("settings", "outputname", ""), path);
    EXPECT_EQ(profile.GetString("Settings", "OutputFrameRate", ""), "23.976");
}

}  // namespace
