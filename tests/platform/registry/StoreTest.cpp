// Store operations: names, keys, deletion, locations and unwritable places.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

// Sets or unsets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(registryStore, NamesCompareCaseInsensitivelyAndKeepTheirFirstSpelling) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    ASSERT_TRUE(store.Set("Software\\QuorvelStudio\\App", "OutputName", Value::String("a")));
    ASSERT_TRUE(store.Set("SOFTWARE\\quorvelstudio\\APP", "OUTPUTNAME", Value::String("b")));
    ASSERT_TRUE(store.Set("software\\QUORVELSTUDIO\\app\\NewSub", "x", Value::Dword(1)));

    EXPECT_EQ(store.Get("software\\quorvelSTUDIO\\app", "outputname"), Value::String("b"));
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\QUORVELSTUDIO\\APP\\newsub"));
    EXPECT_FALSE(store.Get("Software\\QuorvelStudio\\App", "OutputNam").has_value());

    const std::string text = testenv::ReadFile(file);
    EXPECT_NE(
        text.find("[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\App]\n\"OutputName\"=\"b\"\n\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\QuorvelStudio\\App\\NewSub]"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("OUTPUTNAME"), std::string::npos);
    EXPECT_EQ(text.find("quorvelstudio"), std::string::npos);
}

TEST(registryStore, KeyPathsIgnoreStraySeparators) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    ASSERT_TRUE(store.Set("\\Software\\\\A\\", "v", Value::Dword(5)));
    EXPECT_EQ(store.Get("Software\\A", "v"), Value::Dword(5));
    EXPECT_FALSE(store.Set("Software\\Bad\nKey", "v", Value::Dword(5)));
}

TEST(registryStore, SetCreatesParentKeys) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    EXPECT_FALSE(store.KeyExists("Software\\A"));
    ASSERT_TRUE(store.Set("Software\\A\\B\\C", "v", Value::Dword(1)));
    EXPECT_TRUE(store.KeyExists("Software"));
    EXPECT_TRUE(store.KeyExists("Software\\A"));
    EXPECT_TRUE(store.KeyExists("Software\\A\\B"));
    EXPECT_FALSE(store.KeyExists("Software\\A\\B\\C\\D"));
    EXPECT_FALSE(store.KeyExists("Software\\A\\BC"));
}

TEST(registryStore, SetIfKeyExistsNeverCreatesAKey) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    Store store(file);
    const char* divx = "Software\\DivXNetworks\\DivX4Windows";
    EXPECT_FALSE(store.SetIfKeyExists(divx, "Disable feedback", Value::Dword(1)));
    EXPECT_FALSE(store.KeyExists(divx));
    EXPECT_FALSE(std::filesystem::exists(file));

    ASSERT_TRUE(store.Set("Software\\DivXNetworks", "other", Value::Dword(0)));
    EXPECT_FALSE(store.SetIfKeyExists(divx, "Disable feedback", Value::Dword(1)));
    EXPECT_FALSE(store.KeyExists(divx));

    ASSERT_TRUE(store.Set(divx, "Disable feedback", Value::Dword(0x100)));
    // Set only the first byte, keep type and size.
    const auto read = store.Get(divx, "Disable feedback");
    ASSERT_TRUE(read.has_value());
    auto data = read->Data();
    data[0] = 1;
    EXPECT_TRUE(store.SetIfKeyExists(divx, "Disable feedback",
                                     Value::FromData(read->RegistryType(), data)));
    EXPECT_EQ(store.Get(divx, "Disable feedback"), Value::Dword(0x101));
    // A new value in an existing key is fine; the key is matched case-insensitively.
    EXPECT_TRUE(
        store.SetIfKeyExists("software\\divxnetworks\\divx4windows", "New", Value::String("s")));
    EXPECT_EQ(store.Get(divx, "new"), Value::String("s"));
}

TEST(registryStore, DeleteValueAndDeleteKey) {
    testenv::TempDir dir;
    Store store(dir / "user.reg");
    ASSERT_TRUE(store.Set("Software\\A", "keep", Value::Dword(1)));
    ASSERT_TRUE(store.Set("Software\\A", "drop", Value::Dword(2)));
    ASSERT_TRUE(store.Set("Software\\A\\Sub\\Deeper", "v", Value::Dword(3)));
    ASSERT_TRUE(store.Set("Software\\AB", "sibling", Value::Dword(4)));
    ASSERT_TRUE(store.Set("Software\\A Sub", "sibling", Value::Dword(5)));

    EXPECT_TRUE(store.DeleteValue("software\\a", "DROP"));
    EXPECT_FALSE(store.Get("Software\\A", "drop").has_value());
    EXPECT_EQ(store.Get("Software\\A", "keep"), Value::Dword(1));
    EXPECT_FALSE(store.DeleteValue("Software\\A", "drop"));     // already gone
    EXPECT_FALSE(store.DeleteValue("Software\\None", "drop"));  // no such key
    EXPECT_FALSE(store.KeyExists("Software\\None"));

    EXPECT_TRUE(store.DeleteKey("SOFTWARE\\A"));
    EXPECT_FALSE(store.KeyExists("Software\\A"));
    EXPECT_FALSE(store.KeyExists("Software\\A\\Sub"));
    EXPECT_FALSE(store.KeyExists("Software\\A\\Sub\\Deeper"));
    EXPECT_FALSE(store.Get("Software\\A", "keep").has_value());
    EXPECT_EQ(store.Get("Software\\AB", "sibling"), Value::Dword(4));
    EXPECT_EQ(store.Get("Software\\A Sub", "sibling"), Value::Dword(5));
    EXPECT_TRUE(store.KeyExists("Software"));
    EXPECT_FALSE(store.DeleteKey("Software\\A"));
    EXPECT_FALSE(store.DeleteKey(""));  // never the whole hive
}

TEST(registryStore, MissingFolderIsCreated) {
    testenv::TempDir dir;
    const auto file = dir / "a" / "b" / "user.reg";
    Store store(file);
    EXPECT_FALSE(store.Get("Software\\A", "v").has_value());
    ASSERT_TRUE(store.Set("Software\\A", "v", Value::Dword(1)));
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_TRUE(regtest::FilesStartingWith(file.parent_path(), "user.reg.tmp").empty());
}

TEST(registryStore, UnwritablePlaceReturnsFalse) {
    testenv::TempDir dir;
    // The folder cannot be created: its parent is a regular file.
    testenv::WriteFile(dir / "plainfile", "x");
    Store store(dir / "plainfile" / "user.reg");
    EXPECT_FALSE(store.Set("Software\\A", "v", Value::Dword(1)));
    EXPECT_FALSE(store.SetIfKeyExists("Software", "v", Value::Dword(1)));
    EXPECT_FALSE(store.DeleteKey("Software\\A"));
    EXPECT_FALSE(store.Get("Software\\A", "v").has_value());
    EXPECT_FALSE(store.KeyExists("Software\\A"));
}

TEST(registryStore, WhenTheLockCannotBeTakenWritesFailAndReadsWork) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    ASSERT_TRUE(Store(file).Set("Software\\A", "v", Value::Dword(1)));
    const std::string before = testenv::ReadFile(file);
    std::filesystem::remove(dir / "user.reg.lock");
    std::filesystem::create_directory(dir / "user.reg.lock");

    Store store(file);
    EXPECT_FALSE(store.Set("Software\\A", "w", Value::Dword(2)));
    EXPECT_EQ(store.Get("Software\\A", "v"), Value::Dword(1));
    EXPECT_EQ(testenv::ReadFile(file), before);
}

TEST(registryStore, ReadOnlyFolderReturnsFalseAndReadsStillWork) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
    testenv::TempDir dir;
    const auto folder = dir / "ro";
    const auto file = folder / "user.reg";
    ASSERT_TRUE(Store(file).Set("Software\\A", "v", Value::Dword(1)));
    std::filesystem::remove(folder / "user.reg.lock");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    Store store(file);
    EXPECT_FALSE(store.Set("Software\\A", "w", Value::Dword(2)));
    EXPECT_EQ(store.Get("Software\\A", "v"), Value::Dword(1));
    EXPECT_FALSE(store.Get("Software\\A", "w").has_value());
    ::chmod(folder.c_str(), 0755);
}

TEST(registryStore, UserFollowsTheEnvironment) {
    testenv::TempDir dir;
    const auto first = dir / "first.reg";
    const auto second = dir / "second.reg";
    {
        ScopedEnv env("QUORVEL_REGISTRY", first.c_str());
        EXPECT_EQ(Store::DefaultPath(), first);
        EXPECT_EQ(Store::User().Path(), first);
        ASSERT_TRUE(Store::User().Set("Software\\A", "which", Value::String("first")));
    }
    {
        ScopedEnv env("QUORVEL_REGISTRY", second.c_str());
        EXPECT_EQ(Store::User().Path(), second);
        EXPECT_FALSE(Store::User().Get("Software\\A", "which").has_value());
        ASSERT_TRUE(Store::User().Set("Software\\A", "which", Value::String("second")));
    }
    {
        ScopedEnv env("QUORVEL_REGISTRY", first.c_str());
        EXPECT_EQ(Store::User().Get("Software\\A", "which"), Value::String("first"));
    }
}

TEST(registryStore, DefaultPathFollowsXdgThenHome) {
    ScopedEnv registryEnv("QUORVEL_REGISTRY", nullptr);
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/some/config");
        EXPECT_EQ(Store::DefaultPath(),
                  std::filesystem::path("/some/config/QuorvelStudio/user.reg"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(Store::DefaultPath(),
                  std::filesystem::path("/home/someone/.config/QuorvelStudio/user.reg"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(Store::DefaultPath(),
                  std::filesystem::path("/home/someone/.config/QuorvelStudio/user.reg"));
    }
}

TEST(registryStore, SymbolicLinkIsFollowedNotReplaced) {
    testenv::TempDir dir;
    const auto real = dir / "real.reg";
    const auto link = dir / "user.reg";
    ASSERT_TRUE(Store(real).Set("Software\\A", "v", Value::Dword(1)));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(Store(link).Set("Software\\A", "w", Value::Dword(2)));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Store(real).Get("Software\\A", "w"), Value::Dword(2));
    EXPECT_EQ(Store(link).Get("Software\\A", "v"), Value::Dword(1));
}

}  // namespace
