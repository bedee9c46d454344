// Reading files written elsewhere: regedit on Windows (UTF-16LE with BOM, CRLF),
// UTF-8 with BOM, REGEDIT4, and lines this layer does not use.
#include <gtest/gtest.h>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

std::string Crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const std::string kWindowsExport =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; exported on Windows\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\quorvel-converter]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\quorvel-converter\\Settings]\n"
    "\"nOuptputFormat\"=dword:00000004\n"
    "\"OutputName\"=\"C:\\\\Users\\\\Jürgen\\\\Videos\\\\\\\"new\\\" 映画.webm\"\n"
    "\"OutputFrameRateIndex\"=dword:FFFFFFFF\n"
    "@=\"default\"\n"
    "\"Removed\"=-\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
    "  17,18,19\n"
    "\"Path\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,\\\n"
    "  00,45,00,25,00,00,00\n"
    "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
    "\"Wide\"=hex(1):e9,00,3d,d8,2c,de,00,00\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\DivXNetworks\\DivX4Windows]\n"
    "\"Disable feedback\"=dword:00000100\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Gone]\n"
    "\"x\"=dword:00000001\n"
    "\n"
    "[-HKEY_CURRENT_USER\\Software\\Gone]\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
    "\"Machine\"=\"kept\"\n"
    "\n";

constexpr const char* kSettings = "Software\\QuorvelStudio\\quorvel-converter\\Settings";

void ExpectWindowsExportContent(const Store& store) {
    EXPECT_EQ(store.Get(kSettings, "nOuptputFormat"), Value::Dword(4));
    EXPECT_EQ(store.Get(kSettings, "OutputName"),
              Value::String("C:\\Users\\Jürgen\\Videos\\\"new\" 映画.webm"));
    EXPECT_EQ(store.Get(kSettings, "OutputFrameRateIndex"), Value::Dword(0xFFFFFFFFu));
    EXPECT_EQ(store.Get(kSettings, ""), Value::String("default"));
    EXPECT_FALSE(store.Get(kSettings, "Removed").has_value());
    std::vector<std::uint8_t> blob;
    for (int i = 0; i < 26; ++i) blob.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(store.Get(kSettings, "Blob"), Value::Binary(blob));
    const auto path = store.Get(kSettings, "Path");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->type, registry::ValueType::Other);
    EXPECT_EQ(path->otherType, 2u);
    EXPECT_EQ(path->bytes.size(), 28u);
    EXPECT_EQ(store.Get(kSettings, "List"), Value::Other(7, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}));
    EXPECT_EQ(store.Get(kSettings, "Wide"), Value::String("é😬"));
    EXPECT_EQ(store.Get(kSettings, "Big"), Value::Other(11, {1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(store.Get("Software\\DivXNetworks\\DivX4Windows", "Disable feedback"),
              Value::Dword(0x100));
    EXPECT_FALSE(store.KeyExists("Software\\Gone"));
    EXPECT_TRUE(store.KeyExists("Software\\QuorvelStudio"));
}

TEST(registryImport, WindowsExportInUtf16LeWithBomAndCrlf) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    testenv::WriteFile(file, regtest::Utf16LeWithBom(Crlf(kWindowsExport)));
    Store store(file);
    ExpectWindowsExportContent(store);
    EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged").empty());

    // A write turns it into UTF-8 with LF and keeps everything else, even what
    // this layer does not interpret.
    ASSERT_TRUE(store.Set(kSettings, "OutputWidth", Value::Dword(712)));
    const std::string text = testenv::ReadFile(file);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("\"Path\"=hex(2):25,00,55,00"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"Machine\"=\"kept\""),
              std::string::npos)
        << text;
    ExpectWindowsExportContent(Store(file));
    EXPECT_EQ(Store(file).Get(kSettings, "OutputWidth"), Value::Dword(712));
}

TEST(registryImport, Utf8WithBomAndCrlf) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    testenv::WriteFile(file, "\xEF\xBB\xBF" + Crlf(kWindowsExport));
    ExpectWindowsExportContent(Store(file));
}

TEST(registryImport, Regedit4AndLooseSpacing) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    testenv::WriteFile(file,
                       "REGEDIT4\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Loose]  \n"
                       "  \"a\" = dword:1\n"
                       "\"b\"=hex: 0a , 0B ,\n"
                       "\"c\"=hex:\n"
                       "\"d\"=\"text\"   \n"
                       "\"e\"=\"not an escape: \\q\"\n");
    Store store(file);
    EXPECT_EQ(store.Get("Software\\Loose", "a"), Value::Dword(1));
    EXPECT_EQ(store.Get("Software\\Loose", "b"), Value::Binary({0x0A, 0x0B}));
    EXPECT_EQ(store.Get("Software\\Loose", "c"), Value::Binary({}));
    EXPECT_EQ(store.Get("Software\\Loose", "d"), Value::String("text"));
    EXPECT_EQ(store.Get("Software\\Loose", "e"), Value::String("not an escape: \\q"));
}

TEST(registryImport, UnknownButWellFormedLinesAreNotDamage) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    testenv::WriteFile(file,
                       "Windows Registry Editor Version 5.00\n\n"
                       "\"orphan\"=dword:00000001\n"
                       "[HKEY_CURRENT_USER\\Software\\K]\n"
                       "; a comment\n"
                       "\"wine\"=str(2):\"%HOME%\"\n"
                       "\"q\"=qword:0000000000000001\n"
                       "\"long\"=future:01,02,\\\n"
                       "  03\n"
                       "\"v\"=dword:00000002\n");
    Store store(file);
    EXPECT_EQ(store.Get("Software\\K", "v"), Value::Dword(2));
    EXPECT_FALSE(store.Get("Software\\K", "q").has_value());
    EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged").empty());
}

TEST(registryImport, EmptyOrBlankFileIsEmptyNotDamaged) {
    for (const std::string content : {"", "\n\n", "\xEF\xBB\xBF", "\xFF\xFE"}) {
        testenv::TempDir dir;
        const auto file = dir / "user.reg";
        testenv::WriteFile(file, content);
        Store store(file);
        EXPECT_FALSE(store.KeyExists("Software"));
        EXPECT_TRUE(regtest::FilesStartingWith(dir.path(), "user.reg.damaged").empty());
        ASSERT_TRUE(store.Set("Software\\X", "v", Value::Dword(1)));
        EXPECT_EQ(store.Get("Software\\X", "v"), Value::Dword(1));
    }
}

}  // namespace
