// The DivX and VSFilter adjustments: their registry values before, during and
// after a run of the main window, and the values they must leave alone.
#include <gtest/gtest.h>

#include <functional>

#include "FakeShell.h"
#include "TestEnv.h"
#include "app/MainWindow.h"
#include "options/OtherMakersFilters.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "settings/Profile.h"

namespace {

using registry::Value;

class OtherMakersFiltersTest : public ::testing::Test {
protected:
    registry::Store& store() { return registry::Store::User(); }

    std::optional<Value> DivX() {
        return store().Get(options::kDivXKey, options::kDivXFeedbackValue);
    }
    std::optional<Value> LoadLevel() {
        return store().Get(options::kVsFilterKey, options::kVsFilterLoadLevelValue);
    }
    void SetDivX(const Value& v) { store().Set(options::kDivXKey, options::kDivXFeedbackValue, v); }
    void SetLoadLevel(const Value& v) {
        store().Set(options::kVsFilterKey, options::kVsFilterLoadLevelValue, v);
    }

    // Runs the main window; `script` acts once it is shown, then the window closes.
    void RunWindow(std::function<void(app::MainWindow&)> script) {
        app::MainWindow window;
        automation.onDialogShown = [&](ui::Dialog&) {
            script(window);
            if (window.IsRunning()) {
                window.isConverting = 0;
                window.RequestClose();
            }
        };
        window.RunModal();
    }

    testenv::ScopedRegistry scopedRegistry;
    FakeShell shell;
    ui::ScriptedAutomation automation;
};

TEST_F(OtherMakersFiltersTest, DivXFeedbackGetsItsFirstByteSetWhateverTheType) {
    SetDivX(Value::Dword(0));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Dword(1));

    SetDivX(Value::Dword(0x100));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Dword(0x101));

    SetDivX(Value::Binary({0x00, 0xAA, 0xBB}));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Binary({0x01, 0xAA, 0xBB}));

    SetDivX(Value::String("0"));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::String("\x01"));

    // A type this program does not know keeps its number and its size.
    SetDivX(Value::Other(11, {0, 0, 0, 0, 0, 0, 0, 0x80}));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Other(11, {1, 0, 0, 0, 0, 0, 0, 0x80}));

    // Nothing to set in an empty value.
    SetDivX(Value::Binary({}));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Binary({}));
}

TEST_F(OtherMakersFiltersTest, DivXIsLeftAloneWhenThereIsNothingToAdjust) {
    // No key: nothing is created.
    options::DisableDivXFeedback();
    EXPECT_FALSE(store().KeyExists(options::kDivXKey));

    // A key without the value: the value is not created.
    store().Set(options::kDivXKey, "Other", Value::Dword(7));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), std::nullopt);

    // A value larger than the 260 bytes read does not fit and is not touched.
    const std::vector<std::uint8_t> big(261, 0);
    SetDivX(Value::Binary(big));
    options::DisableDivXFeedback();
    EXPECT_EQ(DivX(), Value::Binary(big));
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OtherMakersFiltersTest, DivXIsAdjustedAtStartUpUnlessTheStoredFormatIsWebm) {
    for (const int format : {0, 1, 2, 3, 4}) {
        testenv::ScopedRegistry fresh;
        settings::Profile().WriteInt("Settings", "nOuptputFormat", format);
        SetDivX(Value::Dword(0));
        RunWindow([](app::MainWindow&) {});
        EXPECT_EQ(DivX(), Value::Dword(format == 4 ? 0 : 1)) << "format " << format;
    }
}

TEST_F(OtherMakersFiltersTest, LoadLevelIsZeroWhileTheWindowRunsAndRestoredAtClose) {
    SetLoadLevel(Value::Dword(2));
    std::optional<Value> during;
    RunWindow([&](app::MainWindow& w) {
        during = LoadLevel();
        EXPECT_EQ(w.vsFilterChanged, 1);
        EXPECT_EQ(w.vsFilterSavedLevel, 2u);
    });
    EXPECT_EQ(during, Value::Dword(0));
    EXPECT_EQ(LoadLevel(), Value::Dword(2));
}

TEST_F(OtherMakersFiltersTest, LoadLevelKeepsItsTypeThroughClearAndRestore) {
    SetLoadLevel(Value::Binary({3, 0, 0, 0}));
    std::optional<Value> during;
    RunWindow([&](app::MainWindow&) { during = LoadLevel(); });
    EXPECT_EQ(during, Value::Binary({0, 0, 0, 0}));
    EXPECT_EQ(LoadLevel(), Value::Binary({3, 0, 0, 0}));
}

TEST_F(OtherMakersFiltersTest, LoadLevelZeroIsNeverWritten) {
    SetLoadLevel(Value::Dword(0));
    RunWindow([&](app::MainWindow& w) {
        EXPECT_EQ(w.vsFilterChanged, 0);
        // Changed by VSFilter's own settings meanwhile: the close must not overwrite it.
        SetLoadLevel(Value::Dword(5));
    });
    EXPECT_EQ(LoadLevel(), Value::Dword(5));
}

TEST_F(OtherMakersFiltersTest, LoadLevelDeletedWhileRunningIsNotRecreated) {
    SetLoadLevel(Value::Dword(2));
    RunWindow([&](app::MainWindow&) {
        store().DeleteValue(options::kVsFilterKey, options::kVsFilterLoadLevelValue);
    });
    EXPECT_EQ(LoadLevel(), std::nullopt);

    // Nor is the key, when the whole key went away.
    SetLoadLevel(Value::Dword(2));
    RunWindow([&](app::MainWindow&) { store().DeleteKey("Software\\Tovrin"); });
    EXPECT_FALSE(store().KeyExists(options::kVsFilterKey));
}

TEST_F(OtherMakersFiltersTest, RefusedCloseLeavesLoadLevelAtZeroUntilAClosingSucceeds) {
    SetLoadLevel(Value::Dword(2));
    std::optional<Value> afterRefusal;
    RunWindow([&](app::MainWindow& w) {
        w.isConverting = 1;
        w.RequestClose();
        ASSERT_TRUE(w.IsRunning());
        afterRefusal = LoadLevel();
    });
    EXPECT_EQ(afterRefusal, Value::Dword(0));
    EXPECT_EQ(LoadLevel(), Value::Dword(2));
}

TEST_F(OtherMakersFiltersTest, VsFilterIsLeftAloneWhenThereIsNothingToAdjust) {
    bool changed = false;
    std::uint32_t saved = 0;
    options::ClearVsFilterLoadLevel(changed, saved);
    EXPECT_FALSE(store().KeyExists(options::kVsFilterKey));
    EXPECT_EQ(changed, 0);

    // A value too large for the 4 bytes read is not a level.
    SetLoadLevel(Value::Binary({1, 2, 3, 4, 5}));
    options::ClearVsFilterLoadLevel(changed, saved);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(LoadLevel(), Value::Binary({1, 2, 3, 4, 5}));

    // Restoring without a change writes nothing, even with a saved level.
    saved = 9;
    options::RestoreVsFilterLoadLevel(changed, saved);
    EXPECT_EQ(LoadLevel(), Value::Binary({1, 2, 3, 4, 5}));
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OtherMakersFiltersTest, RestoreClearsTheFlagSoASecondRestoreWritesNothing) {
    SetLoadLevel(Value::Dword(4));
    bool changed = false;
    std::uint32_t saved = 0;
    options::ClearVsFilterLoadLevel(changed, saved);
    options::RestoreVsFilterLoadLevel(changed, saved);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(LoadLevel(), Value::Dword(4));
    SetLoadLevel(Value::Dword(0));
    options::RestoreVsFilterLoadLevel(changed, saved);
    EXPECT_EQ(LoadLevel(), Value::Dword(0));
}

}  // namespace
