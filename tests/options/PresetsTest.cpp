// Presets in the options dialog: each built-in one fills it, the note says what no
// longer matches, the person's presets survive a restart and a moved catalogue,
// and a preset file that is damaged or newer is refused with nothing changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "i18n/FormattedText.h"
#include "options/OutputOptionsDialog.h"
#include "options/PresetStore.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/vfw/Vfw.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"

namespace {

using namespace resources;
using engine::CompressorCategory;
using options::OutputOptionsDialog;

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class PresetsTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }
    void TearDown() override {
        media::testing::ResetAll();
        engine::ConversionGraph::Instance().ReleaseCompressorSlots();
    }

    // Opens the options dialog on AVI settings and runs `script` inside it.
    void Run(const std::function<void(OutputOptionsDialog&)>& script) {
        OutputOptionsDialog dialog(nullptr);
        dialog.settings.format = engine::kAvi;
        dialog.settings.outputPath = (testenv::ProcessRoot() / "clips" / "out.avi").string();
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (&shown == &dialog) {
                script(dialog);
                if (dialog.IsRunning()) dialog.EndDialog(ui::IDCANCEL);
            } else if (shown.templateId() == IDD_PRESET_NAME) {
                shown.Item(IDC_EDIT_PRESET_NAME).SetText(names.front());
                names.erase(names.begin());
                shown.Item(IDC_BUTTON_PRESET_NAME_OK).Click();
            }
        };
        dialog.RunModal();
    }
    static int Entry(OutputOptionsDialog& d, const std::string& title) {
        for (int i = 0; i < d.Item(IDC_COMBO_PRESET).Count(); ++i)
            if (d.Item(IDC_COMBO_PRESET).ItemText(i) == title) return i;
        return -1;
    }
    static std::string Shown(OutputOptionsDialog& d, int id) {
        return d.Item(id).ItemText(d.Item(id).CurSel());
    }
    void Menu(OutputOptionsDialog& d, int command) {
        automation.menuAnswers.push_back(command);
        d.Item(IDC_BUTTON_PRESETS).Click();
    }

    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    FakeShell shell;
    std::vector<std::string> names;  // what the name dialog is given, in turn
};

TEST_F(PresetsTest, EachBuiltInFillsTheDialogAndTheNoteSaysWhatNoLongerMatches) {
    for (const engine::Preset& preset : engine::BuiltInPresets()) {
        SCOPED_TRACE(preset.name);
        Run([&](OutputOptionsDialog& d) {
            d.Item(IDC_COMBO_PRESET).Choose(Entry(d, preset.name));
            EXPECT_EQ(d.Item(IDC_COMBO_OUTPUT_FORMAT).CurSel(), preset.format);
            for (const auto& [id, choice, category] :
                 {std::tuple{IDC_COMBO_VIDEO_COMPRESSOR, preset.video, CompressorCategory::Video},
                  {IDC_COMBO_AUDIO_COMPRESSOR, preset.audio, CompressorCategory::Audio}})
                if (preset.format != engine::kWmv) {
                    // No source is open: a stream to keep shows the format's preferred compressor.
                    std::string expected = engine::CompressorName(
                        category, engine::FindCompressorByName(category, choice.name));
                    for (const auto& row : engine::FormatCompressors(category, preset.format))
                        if (choice.keep && row.preferred) expected = row.name;
                    EXPECT_EQ(Shown(d, id), expected);
                }
            EXPECT_EQ(d.Item(IDC_EDIT_LONGER_SIDE).Text(),
                      preset.longerSideAtMost ? std::to_string(preset.longerSideAtMost) : "");
            EXPECT_EQ(d.Item(IDC_EDIT_TARGET_SIZE).Text(),
                      preset.targetSizeMB ? std::to_string(preset.targetSizeMB) : "");
            EXPECT_EQ(d.Item(IDC_STATIC_PRESET_NOTE).Text(), preset.description);
            EXPECT_TRUE(automation.boxes.empty());
            const char* shots = preset.targetSizeMB ? std::getenv("QUORVEL_SCREENSHOT_DIR") : nullptr;
            if (shots) d.SaveScreenshot(std::string(shots) + "/options-preset.png");

            d.Item(IDC_EDIT_LONGER_SIDE).Type("640");
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAsf);
            EXPECT_EQ(d.Item(IDC_STATIC_PRESET_NOTE).Text(),
                      "Changed from the preset: Output Format, Longer side at most.");
            if (shots) d.SaveScreenshot(std::string(shots) + "/options-preset-changed.png");
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
        });
        // OK keeps the preset it came from, changed or not, and its fields.
        const registry::AppProfile profile(registry::Store::User(), "QuorvelStudio",
                                           "quorvel-converter");
        EXPECT_EQ(profile.GetString("Settings", "Preset", ""), preset.name);
        EXPECT_EQ(profile.GetInt("Settings", "LongerSideAtMost", 0), 640);
        EXPECT_EQ(profile.GetInt("Settings", "TargetSizeMB", -1), preset.targetSizeMB);
        EXPECT_EQ(profile.GetInt("Settings", "AudioTracks", -1), preset.allAudioTracks ? 0 : 1);
    }
}

TEST_F(PresetsTest, ASavedPresetSurvivesARestartAndAnEncoderThatMovesTheCatalogue) {
    const std::string x264 =
        engine::CompressorName(CompressorCategory::Video,
                               engine::FindCompressorByName(CompressorCategory::Video, "libx264"));
    names = {"Mine", "Ours"};
    Run([&](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_PRESET).Choose(Entry(d, "MP4 for phones and the web"));
        vfw::SetDriverSettings(x264, vfw::ICTYPE_VIDEO, {{"crf", "25"}});  // as its Settings would
        Menu(d, IDM_PRESET_SAVE);
        EXPECT_EQ(Shown(d, IDC_COMBO_PRESET), "Mine");
        EXPECT_EQ(d.Item(IDC_STATIC_PRESET_NOTE).Text(), "");
    });
    vfw::ResetDriverSettings(x264, vfw::ICTYPE_VIDEO);
    const int before = engine::FindCompressorByName(CompressorCategory::Video, "libx264");
    media::testing::AddLeadingEncoder("AAA Newer Encoder");
    ASSERT_EQ(engine::FindCompressorByName(CompressorCategory::Video, "libx264"), before + 1);

    Run([&](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_PRESET).Choose(Entry(d, "Mine"));
        EXPECT_EQ(Shown(d, IDC_COMBO_VIDEO_COMPRESSOR), x264);
        EXPECT_EQ(vfw::SavedCompressorOptions(x264, vfw::ICTYPE_VIDEO).at("crf"), "25");
        Menu(d, IDM_PRESET_RENAME);
        EXPECT_EQ(Shown(d, IDC_COMBO_PRESET), "Ours");
        EXPECT_EQ(Entry(d, "Mine"), -1);
    });
    const auto stored = options::FindPreset("ours");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->video.name, x264);  // by name, never by index
    EXPECT_EQ(stored->longerSideAtMost, 1920);

    // A compressor this computer lacks gives way to the format's preferred one, and says so.
    engine::Preset lacking = *stored;
    lacking.video.name = "Gone Encoder";
    ASSERT_TRUE(options::StorePreset(lacking));
    automation.boxAnswers = {ui::IDYES};
    Run([&](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_PRESET).Choose(Entry(d, "Ours"));
        EXPECT_EQ(Shown(d, IDC_COMBO_VIDEO_COMPRESSOR), x264);
        Menu(d, IDM_PRESET_DELETE);
        EXPECT_EQ(Entry(d, "Ours"), -1);
    });
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text,
              i18n::FormatText(IDS_PRESET_COMPRESSOR_MISSING, "Gone Encoder", x264.c_str()));
    EXPECT_EQ(automation.boxes[1].text, "Delete the preset \"Ours\"?");
    EXPECT_TRUE(options::StoredPresets().empty());
}

TEST_F(PresetsTest, AnImportedFileThatIsDamagedOrNewerIsRefusedAndNothingChanges) {
    const auto folder = testenv::ProcessRoot() / "presets";
    std::filesystem::create_directories(folder);
    const std::string good = (folder / "good.reg").string();
    Run([&](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_PRESET).Choose(Entry(d, "WebM for the web (VP9 + Opus)"));
        automation.fileAnswers.push_back(good);
        Menu(d, IDM_PRESET_EXPORT);
    });
    const std::string text = Slurp(good);
    ASSERT_NE(text.find("\"Format\"=\"webm\""), std::string::npos) << text;
    auto with = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    const std::pair<std::string, int> files[] = {
        {text, 0},
        {text, 0},
        {"\x7f"
         "ELF garbage",
         IDS_PRESET_IMPORT_DAMAGED},
        {text.substr(0, text.size() / 2) + "\n[HKEY_CURRENT_USER\\Broken",
         IDS_PRESET_IMPORT_DAMAGED},
        {with("\"Format\"=\"webm\"", "\"Format\"=\"mov\""), IDS_PRESET_IMPORT_DAMAGED},
        {with("\"Format\"=\"webm\"", "\"Format\"=dword:00000004"), IDS_PRESET_IMPORT_DAMAGED},
        {with("\"Version\"=dword:00000001", ""), IDS_PRESET_IMPORT_DAMAGED},
        {with("\"Version\"=dword:00000001", "\"Version\"=dword:00000002"), IDS_PRESET_IMPORT_NEWER},
    };
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const std::string file = (folder / ("import" + std::to_string(i) + ".reg")).string();
        std::ofstream(file, std::ios::binary) << files[i].first;
        const std::string storeBefore = Slurp(registry.file());
        automation.boxes.clear();
        Run([&](OutputOptionsDialog& d) {
            automation.fileAnswers.push_back(file);
            Menu(d, IDM_PRESET_IMPORT);
            titles.push_back(Shown(d, IDC_COMBO_PRESET));
        });
        if (files[i].second == 0) continue;
        SCOPED_TRACE(files[i].first);
        ASSERT_EQ(automation.boxes.size(), 1u);
        EXPECT_EQ(automation.boxes[0].text, i18n::FormatText(files[i].second, file.c_str()));
        EXPECT_EQ(Slurp(registry.file()), storeBefore);
        EXPECT_EQ(Slurp(file), files[i].first);  // never moved aside or rewritten
    }
    // The first import takes the exported name; the second the next free one.
    EXPECT_EQ(titles[0], "WebM for the web (VP9 + Opus) (2)");
    EXPECT_EQ(titles[1], "WebM for the web (VP9 + Opus) (3)");
    ASSERT_EQ(options::StoredPresets().size(), 2u);
    EXPECT_EQ(options::StoredPresets()[0].video.settings.at("crf"), "32");
}

// With a source open, the container-only preset keeps both streams, the tracks'
// choice counts among what no longer matches, and a preset saved from it keeps
// the streams and the track choice.
TEST_F(PresetsTest, WithASourceOpenKeptStreamsAndTheTracksGoIntoASavedPreset) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    ASSERT_TRUE(SUCCEEDED(graph.OpenSourceGraph(fixtures::H264AacMp4().string())));
    const std::string keep = "Keep the original stream (no re-encoding)";
    names = {"Mine"};
    Run([&](OutputOptionsDialog& d) {
        const engine::Preset& remux = engine::BuiltInPresets().back();
        d.Item(IDC_COMBO_PRESET).Choose(Entry(d, remux.name));
        EXPECT_EQ(Shown(d, IDC_COMBO_VIDEO_COMPRESSOR), keep);
        EXPECT_EQ(Shown(d, IDC_COMBO_AUDIO_COMPRESSOR), keep);
        EXPECT_EQ(d.Item(IDC_STATIC_PRESET_NOTE).Text(), remux.description);
        d.Item(IDC_COMBO_AUDIO_TRACKS).Choose(1);
        EXPECT_EQ(d.Item(IDC_STATIC_PRESET_NOTE).Text(), "Changed from the preset: Audio tracks.");
        Menu(d, IDM_PRESET_SAVE);
    });
    const std::optional<engine::Preset> mine = options::FindPreset("Mine");
    ASSERT_TRUE(mine);
    EXPECT_TRUE(mine->video.keep && mine->audio.keep);
    EXPECT_FALSE(mine->allAudioTracks);
    EXPECT_EQ(mine->format, engine::kMkv);
    graph.ReleaseMediaControl();
    graph.ReleaseGraph();
}

}  // namespace
