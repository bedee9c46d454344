// Numbers in settings are written with a point on every desktop, also where the
// user's locale writes a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "options/OutputSettings.h"

namespace {

// Switches LC_NUMERIC to German (built into a temporary folder) for its lifetime.
class GermanNumbers {
public:
    GermanNumbers() {
        const std::string target = (dir_ / "de_DE.UTF-8").string();
        if (fixtures::RunCommand("localedef -i de_DE -f UTF-8 " + fixtures::ShellQuote(target) +
                                 " >/dev/null 2>&1") > 1)  // 1: warnings only
            return;
        setenv("LOCPATH", dir_.path().c_str(), 1);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~GermanNumbers() {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
    bool active() const { return active_; }

private:
    testenv::TempDir dir_;
    bool active_ = false;
};

TEST(NumberFormat, AFrameRateIsWrittenWithAPointWhateverTheLocale) {
    GermanNumbers german;
    if (!german.active()) GTEST_SKIP() << "no German locale can be built here";
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.3f", 23.976);
    ASSERT_EQ(std::string(shown), "23,976") << "the locale writes a comma";
    EXPECT_EQ(options::FormatFrameRate(23.976), "23.976");
    EXPECT_EQ(options::FormatFrameRate(29.97), "29.970");
    EXPECT_EQ(options::FormatFrameRate(30), "30.000");
}

}  // namespace
