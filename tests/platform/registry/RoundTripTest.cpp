// Values of every type written by one store come back unchanged through another,
// and the file holds them in the REGEDIT5 syntax.
#include <gtest/gtest.h>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

constexpr const char* kKey = "Software\\QuorvelStudio\\quorvel-converter\\Settings";

TEST(registryRoundTrip, EveryTypeComesBackUnchanged) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";

    std::string longText;
    for (int i = 0; i < 20000; ++i) longText += "line " + std::to_string(i) + " \\ \" é; ";
    std::vector<std::uint8_t> manyBytes(1000);
    for (std::size_t i = 0; i < manyBytes.size(); ++i)
        manyBytes[i] = static_cast<std::uint8_t>(i * 7);

    const std::vector<std::pair<std::string, Value>> values = {
        {"zero", Value::Dword(0)},
        {"one", Value::Dword(1)},
        {"minusOne", Value::Dword(0xFFFFFFFFu)},
        {"top", Value::Dword(0x80000000u)},
        {"empty", Value::String("")},
        {"quotes", Value::String("say \"hi\" \"\"")},
        {"backslashes", Value::String("C:\\Users\\me\\Videos\\ and a trailing \\")},
        {"utf8", Value::String("Grüße, 日本語, emoji 🎬")},
        {"controls", Value::String("two\nlines\r\nand a\ttab and \x01")},
        {"long", Value::String(longText)},
        {"noBytes", Value::Binary({})},
        {"oneByte", Value::Binary({0xAB})},
        {"manyBytes", Value::Binary(manyBytes)},
        {"expand", Value::Other(2, {'%', 0, 'X', 0, '%', 0, 0, 0})},
        {"qword", Value::Other(11, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"name with \"quotes\" and \\ ü", Value::String("v")},
        {"", Value::String("the default value")},
    };
    {
        Store writer(file);
        for (const auto& [name, value] : values) ASSERT_TRUE(writer.Set(kKey, name, value)) << name;
    }
    Store reader(file);
    for (const auto& [name, value] : values) {
        const auto got = reader.Get(kKey, name);
        ASSERT_TRUE(got.has_value()) << name;
        EXPECT_EQ(*got, value) << name;
    }
    EXPECT_TRUE(testenv::ReadFile(file).find("\r") == std::string::npos);
}

TEST(registryRoundTrip, FileIsRegedit5Utf8WithLf) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    ASSERT_TRUE(store.Set(kKey, "nOuptputFormat", Value::Dword(0)));
    ASSERT_TRUE(store.Set(kKey, "OutputName", Value::String("/home/me/a \"b\"\\c.avi")));
    ASSERT_TRUE(store.Set(kKey, "x", Value::Binary({1, 0})));
    ASSERT_TRUE(store.Set(kKey, "neg", Value::Dword(0xFFFFFFFFu)));

    const std::string text = testenv::ReadFile(file);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n\n", 0), 0u) << text;
    EXPECT_NE(
        text.find("[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\quorvel-converter\\Settings]\n"
                  "\"nOuptputFormat\"=dword:00000000\n"
                  "\"OutputName\"=\"/home/me/a \\\"b\\\"\\\\c.avi\"\n"
                  "\"x\"=hex:01,00\n"
                  "\"neg\"=dword:ffffffff\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(static_cast<unsigned char>(text[0]), 0xEF);  // no BOM
}

TEST(registryRoundTrip, LongBinaryIsWrappedLikeRegedit) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    std::vector<std::uint8_t> bytes(300, 0x5A);
    ASSERT_TRUE(store.Set(kKey, "blob", Value::Binary(bytes)));
    const std::string text = testenv::ReadFile(file);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 80u);
        start = end + 1;
    }
    EXPECT_NE(text.find(",\\\n  5a,"), std::string::npos) << text;
    EXPECT_EQ(Store(file).Get(kKey, "blob"), Value::Binary(bytes));
}

TEST(registryRoundTrip, KeysInTreeOrderValuesInInsertionOrder) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    ASSERT_TRUE(store.Set("Software\\B", "second", Value::Dword(2)));
    ASSERT_TRUE(store.Set("Software\\A\\Sub", "v", Value::Dword(1)));
    ASSERT_TRUE(store.Set("Software\\AB", "v", Value::Dword(1)));
    ASSERT_TRUE(store.Set("Software\\B", "first", Value::Dword(1)));
    ASSERT_TRUE(store.Set("Software\\B", "second", Value::Dword(3)));  // keeps its place

    const std::string text = testenv::ReadFile(file);
    const auto pos = [&](const std::string& s) { return text.find(s); };
    EXPECT_LT(pos("[HKEY_CURRENT_USER\\Software]"), pos("[HKEY_CURRENT_USER\\Software\\A]"));
    EXPECT_LT(pos("[HKEY_CURRENT_USER\\Software\\A]"),
              pos("[HKEY_CURRENT_USER\\Software\\A\\Sub]"));
    EXPECT_LT(pos("[HKEY_CURRENT_USER\\Software\\A\\Sub]"),
              pos("[HKEY_CURRENT_USER\\Software\\AB]"));
    EXPECT_LT(pos("[HKEY_CURRENT_USER\\Software\\AB]"), pos("[HKEY_CURRENT_USER\\Software\\B]"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\B]\n\"second\"=dword:00000003\n"
                        "\"first\"=dword:00000001\n"),
              std::string::npos)
        << text;
    // Writing the same content again gives the same bytes.
    ASSERT_TRUE(store.Set("Software\\B", "first", Value::Dword(1)));
    EXPECT_EQ(testenv::ReadFile(file), text);
}

TEST(registryRoundTrip, RawDataViewForValuesOfAnyType) {
    // Read a value of any type, set its first byte, write it back with
    // the same type and size.
    EXPECT_EQ(Value::Dword(0x100).RegistryType(), registry::kRegDword);
    EXPECT_EQ(Value::Dword(0x100).Data(), (std::vector<std::uint8_t>{0, 1, 0, 0}));
    auto data = Value::Dword(0x100).Data();
    data[0] = 1;
    EXPECT_EQ(Value::FromData(registry::kRegDword, data), Value::Dword(0x101));

    EXPECT_EQ(Value::String("ab").Data(), (std::vector<std::uint8_t>{'a', 'b', 0}));
    EXPECT_EQ(Value::FromData(registry::kRegSz, {'x', 'b', 0}), Value::String("xb"));
    EXPECT_EQ(Value::FromData(registry::kRegBinary, {1, 2}), Value::Binary({1, 2}));
    EXPECT_EQ(Value::FromData(registry::kRegDword, {1, 2}), Value::Other(4, {1, 2}));
    EXPECT_EQ(Value::FromData(7, {1, 0}), Value::Other(7, {1, 0}));
    EXPECT_EQ(Value::Other(7, {1, 0}).RegistryType(), 7u);
    EXPECT_EQ(Value::Binary({9}).RegistryType(), registry::kRegBinary);
    EXPECT_EQ(Value::String("").RegistryType(), registry::kRegSz);
}

}  // namespace
