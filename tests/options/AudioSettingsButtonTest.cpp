// The audio compressor's Settings button: usable only where the chosen compressor
// has settings, its dialog, and what it keeps for the next run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "TestEnv.h"
#include "engine/ConversionGraph.h"
#include "i18n/LanguagePack.h"
#include "options/CodecSettings.h"
#include "engine/OutputFormat.h"
#include "options/OutputOptionsDialog.h"
#include "platform/media/PropertyPages.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/vfw/Vfw.h"
#include "resources/OptionsDialogTemplate.h"

namespace {

// Where the tests' output paths lie: OK makes a missing output folder.
std::string Clips() { return (testenv::ProcessRoot() / "clips").string(); }

using namespace resources;
using options::OutputOptionsDialog;

int Entry(ui::Control list, const std::string& text) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.ItemText(i) == text) return i;
    return -1;
}

class AudioSettingsButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetApplicationName("quorvel-converter");
        options::CodecState().clear();
    }
    void TearDown() override {
        media::testing::ResetAll();
        engine::ConversionGraph::Instance().ReleaseCompressorSlots();
    }

    void Run(int format, const std::function<void(OutputOptionsDialog&)>& script) {
        OutputOptionsDialog dialog(nullptr);
        dialog.settings.format = format;
        dialog.settings.outputPath = Clips() + "/out.avi";
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (&shown != &dialog) return;
            script(dialog);
            if (dialog.IsRunning()) dialog.EndDialog(ui::IDCANCEL);
        };
        dialog.RunModal();
    }

    static bool Usable(OutputOptionsDialog& d) {
        ui::Control button = d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS);
        return button.IsVisible() && button.IsEnabled();
    }
    // Picks the audio entry as a person does; false when the list lacks it.
    static bool Pick(OutputOptionsDialog& d, const std::string& name) {
        ui::Control audio = d.Item(IDC_COMBO_AUDIO_COMPRESSOR);
        const int entry = Entry(audio, name);
        if (entry < 0) return false;
        audio.Choose(entry);
        return true;
    }

    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    FakeShell shell;
};

TEST_F(AudioSettingsButtonTest, UsableOnlyForACompressorWithSettings) {
    Run(engine::kAvi, [&](OutputOptionsDialog& d) {
        ui::Control audio = d.Item(IDC_COMBO_AUDIO_COMPRESSOR);
        ui::Control video = d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS);
        ui::Control button = d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS);
        // Beside the audio selector, as the video one is beside its own.
        EXPECT_EQ(button.Text(), "Settings");
        EXPECT_TRUE(button.IsVisible());
        ASSERT_TRUE(Pick(d, "Uncompressed Audio"));
        EXPECT_FALSE(Usable(d)) << "nothing to set";
        ASSERT_TRUE(Pick(d, "PCM signed 16-bit little-endian"));
        EXPECT_FALSE(Usable(d)) << "plain PCM has no settings";
        ASSERT_TRUE(Pick(d, "AAC (Advanced Audio Coding)"));
        EXPECT_TRUE(Usable(d));
        EXPECT_TRUE(video.IsEnabled());

        // WMV takes the Windows Media bitrates instead.
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWmv);
        EXPECT_FALSE(button.IsVisible());
        EXPECT_FALSE(button.IsEnabled());
        // Back to AVI: the opening entry again, and the button follows it.
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAvi);
        EXPECT_EQ(Usable(d), audio.CurSel() > 0 &&
                                 options::AudioCompressorHasSettings(audio.ItemText(audio.CurSel())));
        // Default: the preferred compressor's state.
        d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click();
        EXPECT_EQ(Usable(d), options::AudioCompressorHasSettings(audio.ItemText(audio.CurSel())));
    });
    Run(engine::kWmv, [&](OutputOptionsDialog& d) {
        EXPECT_FALSE(d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS).IsVisible());
        EXPECT_FALSE(d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS).IsEnabled());
    });
    // WebM's Vorbis and MP4's AAC are set here, though WebM's selectors are locked.
    for (int format : {engine::kWebm, engine::kMp4}) {
        Run(format, [&](OutputOptionsDialog& d) {
            SCOPED_TRACE(format);
            EXPECT_FALSE(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).IsEnabled() && format == engine::kWebm);
            EXPECT_TRUE(Usable(d));
        });
    }
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(AudioSettingsButtonTest, TheDialogKeepsWhatWasChangedForTheBoundCompressorAndLaterRuns) {
    auto& graph = engine::ConversionGraph::Instance();
    graph.GetAudioCompressor(graph.FindPreferredCompressor(engine::CompressorCategory::Audio,
                                                           "aac (advanced audio coding)"));
    ASSERT_TRUE(graph.audioCompressor);
    Run(engine::kMp4, [&](OutputOptionsDialog& d) {
        ASSERT_TRUE(Pick(d, "AAC (Advanced Audio Coding)"));
        automation.frameAnswers = {std::map<std::string, std::string>{{"b", "64"}}};
        d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS).Click();
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            d.SaveScreenshot(std::string(dir) + "/options-audio-settings.png");
    });
    ASSERT_EQ(automation.framesShown.size(), 1u);
    EXPECT_EQ(automation.framesShown[0].first, "AAC (Advanced Audio Coding)");
    const std::string key = vfw::DriverStateKey("aac", vfw::ICTYPE_AUDIO);
    registry::Store store(registry.file());
    EXPECT_EQ(store.Get(key, "b")->text, "64000");
    EXPECT_FALSE(store.Get(key, "aac_coder")) << "only the changed row";

    // The compressor already bound for the next run carries it.
    std::vector<media::PropertyPage> pages;
    ASSERT_EQ(media::QuerySpecifyPropertyPages(graph.audioCompressor)->GetPages(pages), S_OK);
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == "b") {
                EXPECT_EQ(option.value, "64000");
            }
}

TEST_F(AudioSettingsButtonTest, TheButtonFitsItsTextAndTheRowsAreNamedInEachLanguage) {
    auto& pack = i18n::LanguagePack::Instance();
    const char* shots = std::getenv("QUORVEL_SCREENSHOT_DIR");
    for (const char* name : {"German", "Russian_utf-8", "English"}) {
        SCOPED_TRACE(name);
        pack.InitializeLanguages(QUORVEL_SHIPPED_LANGUAGES, name);
        ASSERT_EQ(pack.currentLanguage(), name);
        Run(engine::kWebm, [&](OutputOptionsDialog& d) {
            ui::Control button = d.Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS);
            EXPECT_EQ(button.Text(), pack.DialogText(IDC_BUTTON_AUDIO_CODEC_SETTINGS));
            EXPECT_LE(button.TextWidth() + 8, button.Geometry().width) << button.Text();
            if (shots) d.SaveScreenshot(std::string(shots) + "/options-webm-" + name + ".png");
            button.Click();
        });
    }
    ASSERT_EQ(automation.framesShown.size(), 3u);
    auto qualityLabel = [&](std::size_t shown) {
        for (const auto& page : automation.framesShown[shown].second)
            for (const auto& option : page.options)
                if (option.name == "global_quality") return option.help;
        return std::string("<none>");
    };
    EXPECT_EQ(qualityLabel(0), "Qualität (größer ist besser)");
    EXPECT_EQ(qualityLabel(1), "Качество (больше — лучше)");
    EXPECT_EQ(qualityLabel(2), "Quality (higher is better)");
}

}  // namespace
