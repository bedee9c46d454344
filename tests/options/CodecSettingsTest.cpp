// The Settings button: matching the chosen video compressor to its driver, and the
// driver's confirmed state kept per driver and offered again.
#include <gtest/gtest.h>

#include <set>

#include "FakeShell.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "options/CodecSettings.h"
#include "options/OutputFormat.h"
#include "options/OutputOptionsDialog.h"
#include "platform/media/Filter.h"
#include "platform/media/PropertyPages.h"
#include "platform/ui/Automation.h"
#include "resources/OptionsDialogTemplate.h"

namespace {

// Where the tests' output paths lie: OK makes a missing output folder.
std::string Clips() { return (testenv::ProcessRoot() / "clips").string(); }

using namespace resources;
using engine::CompressorCategory;

const ui::FrameOption* FindOption(const std::vector<ui::FramePage>& pages, const std::string& key) {
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == key) return &option;
    return nullptr;
}

int Entry(ui::Control list, const std::string& text) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.ItemText(i) == text) return i;
    return -1;
}

TEST(VersionRun, FindsTheFirstRunOfDigitsAndDots) {
    std::string run;
    EXPECT_TRUE(options::VersionRun("ffdshow video encoder 1.3.4531 beta", run));
    EXPECT_EQ(run, "1.3.4531");
    EXPECT_TRUE(options::VersionRun("v.2x", run));
    EXPECT_EQ(run, ".2");
    EXPECT_FALSE(options::VersionRun("ffdshow video encoder", run));
    EXPECT_FALSE(options::VersionRun("", run));
}

TEST(ProbeInputFormat, IsUncompressed24BitRgb) {
    const vfw::BITMAPINFOHEADER probe = options::ProbeInputFormat(352, 240);
    EXPECT_EQ(probe.biSize, 40u);
    EXPECT_EQ(probe.biWidth, 352);
    EXPECT_EQ(probe.biHeight, 240);
    EXPECT_EQ(probe.biPlanes, 1);
    EXPECT_EQ(probe.biBitCount, 24);
    EXPECT_EQ(probe.biCompression, vfw::BI_RGB);
    EXPECT_EQ(probe.biSizeImage, 253440u);
    EXPECT_EQ(probe.biClrUsed, 0u);
}

class CodecSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetApplicationName("quorvel-converter");
        options::CodecState().clear();
    }
    void TearDown() override { engine::ConversionGraph::Instance().ReleaseCompressorSlots(); }

    // Opens the options dialog on AVI; `script` picks entries and presses Settings.
    void Run(const std::function<void(options::OutputOptionsDialog&)>& script,
             int format = engine::kAvi) {
        options::OutputOptionsDialog dialog(nullptr);
        dialog.settings.format = format;
        dialog.settings.outputPath = Clips() + "/out.avi";
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (&shown != &dialog) return;
            script(dialog);
            if (dialog.IsRunning()) dialog.EndDialog(ui::IDCANCEL);
        };
        dialog.RunModal();
    }
    static void PressSettingsFor(options::OutputOptionsDialog& d, const std::string& name) {
        ui::Control video = d.Item(IDC_COMBO_VIDEO_COMPRESSOR);
        video.SetCurSel(Entry(video, name));
        ASSERT_GE(video.CurSel(), 0) << name;
        d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Click();
    }

    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    FakeShell shell;
};

TEST_F(CodecSettingsTest, ListsTheDriversThatTakeTheProbeFrame) {
    std::vector<vfw::ICINFO> list;
    const int count = options::ListVfwCompressors(352, 240, list);
    ASSERT_EQ(count, static_cast<int>(list.size()));
    EXPECT_GT(count, 5);
    auto listed = [&](const std::string& description) {
        for (const auto& info : list)
            if (info.szDescription == description) return true;
        return false;
    };
    // Late in name order, beyond the first 50: no cap hides them.
    EXPECT_GT(count, 50);
    EXPECT_TRUE(listed("Windows Media Video 8"));
    EXPECT_TRUE(listed("Ut Video"));
    EXPECT_TRUE(listed("ffdshow video encoder"));
    EXPECT_FALSE(listed("H.263 / H.263-1996")) << "refuses 352 x 240";
}

TEST_F(CodecSettingsTest, EveryFormatsPreferredAndLateListedCompressorsHaveSettings) {
    // Settings opens the driver's dialog; unanswered, it counts as cancelled.
    auto reachable = [&](options::OutputOptionsDialog& d, int entry) {
        const std::size_t before = automation.framesShown.size();
        d.Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(entry);
        d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Click();
        return automation.framesShown.size() == before + 1;
    };
    for (int format : {engine::kAvi, engine::kMkv, engine::kAsf, engine::kWebm}) {
        Run(
            [&](options::OutputOptionsDialog& d) {
                SCOPED_TRACE(format);
                ui::Control video = d.Item(IDC_COMBO_VIDEO_COMPRESSOR);
                ASSERT_GT(video.Count(), 1);
                EXPECT_TRUE(reachable(d, 1)) << video.ItemText(1) << " (preferred)";
                EXPECT_TRUE(reachable(d, video.Count() - 1)) << video.ItemText(video.Count() - 1);
                for (const char* late : {"Windows Media Video 8", "Ut Video"}) {
                    if (Entry(video, late) > 0) {
                        EXPECT_TRUE(reachable(d, Entry(video, late))) << late;
                    }
                }
            },
            format);
    }
    // The VP8 dialog shows each setting once, only those VP8 reads, in its own range.
    ASSERT_FALSE(automation.framesShown.empty());
    Run(
        [&](options::OutputOptionsDialog& d) {
            ASSERT_TRUE(reachable(d, 1));
            const auto& pages = automation.framesShown.back().second;
            std::set<std::string> names;
            for (const auto& page : pages)
                for (const auto& option : page.options)
                    EXPECT_TRUE(names.insert(option.name).second) << "twice: " << option.name;
            EXPECT_FALSE(names.count("bf")) << "VP8 has no B-frames";
            EXPECT_NE(names.count("speed") + names.count("cpu-used"), 2u) << "one name per setting";
            const ui::FrameOption* qmax = FindOption(pages, "qmax");
            ASSERT_TRUE(qmax);
            EXPECT_EQ(qmax->maximum, 63);
        },
        engine::kWebm);
}

TEST_F(CodecSettingsTest, UncompressedOrNoEntryShowsNothing) {
    Run([](options::OutputOptionsDialog& d) {
        PressSettingsFor(d, "Full frames (uncompressed)");
        d.Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(-1);
        d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Click();
    });
    EXPECT_TRUE(automation.framesShown.empty());
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(CodecSettingsTest, ConfirmedStateIsOfferedAgainAndUsedByTheNextCompressor) {
    Run([&](options::OutputOptionsDialog& d) {
        // Any letter case names the driver; the hidden list holds every description.
        ui::Control video = d.Item(IDC_COMBO_VIDEO_COMPRESSOR);
        video.SetCurSel(video.AddString("FFDSHOW Video Encoder"));
        automation.frameAnswers = {std::map<std::string, std::string>{{"b", "400"}, {"g", "30"}}};
        d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Click();
        ui::Control codecs = d.Item(IDC_COMBO_CODEC_LIST);
        EXPECT_FALSE(codecs.IsVisible());
        EXPECT_EQ(codecs.Text(), "ffdshow video encoder");
        EXPECT_GT(codecs.Count(), 5);
        // Again: the dialog opens with what was confirmed; cancelling keeps it.
        PressSettingsFor(d, "ffdshow video encoder");
    });
    ASSERT_EQ(automation.framesShown.size(), 2u);
    EXPECT_EQ(FindOption(automation.framesShown[0].second, "b")->value, "0");  // unused: a dash
    EXPECT_EQ(FindOption(automation.framesShown[1].second, "b")->value, "400");
    EXPECT_EQ(FindOption(automation.framesShown[1].second, "g")->value, "30");
    EXPECT_EQ(options::CodecState().size(), 1u);

    // A compressor filter of that name bound from now on carries the state.
    auto& graph = engine::ConversionGraph::Instance();
    graph.GetCompressor(graph.FindPreferredCompressor(CompressorCategory::Video, "ffdshow video encoder"));
    ASSERT_TRUE(graph.videoCompressor);
    std::vector<media::PropertyPage> pages;
    ASSERT_EQ(media::QuerySpecifyPropertyPages(graph.videoCompressor)->GetPages(pages), S_OK);
    std::map<std::string, std::string> values;
    for (const auto& page : pages)
        for (const auto& option : page.options) values[option.name] = option.value;
    EXPECT_EQ(values["b"], "400000");
    EXPECT_EQ(values["g"], "30");
}

TEST_F(CodecSettingsTest, ADriverIsOnlyEverHandedItsOwnState) {
    // MPEG-4 and MPEG-1 drivers have state blocks of one size.
    Run([&](options::OutputOptionsDialog& d) {
        automation.frameAnswers = {std::map<std::string, std::string>{{"g", "50"}}};
        PressSettingsFor(d, "ffdshow video encoder");
        automation.frameAnswers = {std::map<std::string, std::string>{{"bf", "2"}}};
        PressSettingsFor(d, "MPEG-1 video");
        PressSettingsFor(d, "ffdshow video encoder");
        PressSettingsFor(d, "MPEG-1 video");
    });
    ASSERT_EQ(automation.framesShown.size(), 4u);
    EXPECT_EQ(FindOption(automation.framesShown[1].second, "g")->value, "12") << "not the MPEG-4 one's";
    EXPECT_EQ(FindOption(automation.framesShown[2].second, "g")->value, "50");
    EXPECT_EQ(FindOption(automation.framesShown[2].second, "bf")->value, "0");
    EXPECT_EQ(FindOption(automation.framesShown[3].second, "bf")->value, "2");
    EXPECT_EQ(FindOption(automation.framesShown[3].second, "g")->value, "12");
    EXPECT_EQ(options::CodecState().size(), 2u);
}

TEST_F(CodecSettingsTest, CancelInOptionsUndoesSettingsAndDefaultForgetsThem) {
    // Settings confirms 400 kbit/s, Default, then OK: what stays stored after each flow.
    for (const auto& [settings, byDefault, ok, stays] : {std::tuple{true, false, false, false},
                                                        {true, false, true, true}, {false, true, false, true},
                                                        {true, true, true, false}}) {
        Run([&](options::OutputOptionsDialog& d) {
            automation.frameAnswers = {std::map<std::string, std::string>{{"b", "400"}}};
            if (settings) PressSettingsFor(d, "ffdshow video encoder");
            if (byDefault) d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click();
            d.Item(ok ? IDC_BUTTON_OPTIONS_OK : IDC_BUTTON_OPTIONS_CANCEL).Click();
        });
        EXPECT_EQ(vfw::SavedCompressorOptions("ffdshow video encoder").count("b"), stays ? 1u : 0u)
            << settings << byDefault << ok;
    }
}

}  // namespace
