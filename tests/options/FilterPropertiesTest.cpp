// The filter list shown before a WebM run: names, the Settings button, the pages.
#include <gtest/gtest.h>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/ConversionGraph.h"
#include "options/FilterPropertiesDialog.h"
#include "options/OutputFormat.h"
#include "options/OutputSettings.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"
#include "resources/FilterPropertiesTemplate.h"

namespace {

using engine::CompressorCategory;
using engine::ConversionGraph;
using namespace resources;

class FilterPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        graph.Attach(nullptr, &settings, &errorText);
        settings.format = engine::kWebm;
        settings.outputPath = (out / "p.webm").string();
        settings.webmVideoCompressorIndex =
            graph.FindPreferredCompressor(CompressorCategory::Video, "webm vp8 encoder filter");
        settings.webmAudioCompressorIndex =
            graph.FindPreferredCompressor(CompressorCategory::Audio, engine::kVorbisFragment);
        source = fixtures::H264AacMp4().string();
        ASSERT_EQ(graph.OpenSourceGraph(source), 1);
        ASSERT_EQ(graph.EnsureCompressors(), S_OK);
    }
    void TearDown() override {
        graph.TearDownConversionGraph(graph.graphManager, source);
        graph.ReleaseMediaEvent();
        graph.ReleaseMediaControl();
        graph.ReleaseCompressorSlots();
        graph.Attach(nullptr, nullptr, nullptr);
    }
    // Selects the list entry named `name` as the user would.
    static void Select(ui::Dialog& d, const std::string& name) {
        ui::Control list = d.Item(IDC_LIST_FILTERS);
        for (int i = 0; i < list.Count(); ++i)
            if (list.ItemText(i) == name) list.Choose(i);
    }

    ui::ScriptedAutomation automation;
    engine::OutputSettings settings;
    std::string errorText, source;
    testenv::TempDir out;
    ConversionGraph& graph = ConversionGraph::Instance();
};

TEST_F(FilterPropertiesTest, ListsTheGraphAndOpensTheCompressorsPages) {
    options::FilterPropertiesDialog dialog(graph.graphManager, nullptr);
    std::vector<std::string> names;
    bool settingsForSource = true, settingsForCompressor = false;
    automation.frameAnswers = {std::map<std::string, std::string>{{"b", "300000"}}};
    automation.onDialogShown = [&](ui::Dialog& d) {
        ui::Control list = d.Item(IDC_LIST_FILTERS);
        for (int i = 0; i < list.Count(); ++i) names.push_back(list.ItemText(i));
        Select(d, source);
        settingsForSource = d.Item(IDC_BUTTON_FILTER_SETTINGS).IsEnabled();
        Select(d, "VideoCompressor");
        settingsForCompressor = d.Item(IDC_BUTTON_FILTER_SETTINGS).IsEnabled();
        d.Item(IDC_BUTTON_FILTER_SETTINGS).Click();
        d.RequestClose();  // the close box continues as Continue does
    };
    dialog.RunModal();
    EXPECT_EQ(names.front(), source);
    EXPECT_NE(std::find(names.begin(), names.end(), "AudioCompressor"), names.end());
    EXPECT_FALSE(settingsForSource);
    EXPECT_TRUE(settingsForCompressor);
    ASSERT_EQ(automation.framesShown.size(), 1u);
    EXPECT_EQ(automation.framesShown[0].first, "VideoCompressor");

    // The page's change reached the filter.
    std::vector<media::PropertyPage> pages;
    ASSERT_EQ(media::QuerySpecifyPropertyPages(graph.videoCompressor)->GetPages(pages), S_OK);
    bool found = false;
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == "b") {
                found = true;
                EXPECT_EQ(option.value, "300000");
            }
    EXPECT_TRUE(found);
}

TEST_F(FilterPropertiesTest, WithoutAGraphTheListSaysError) {
    options::FilterPropertiesDialog dialog(nullptr, nullptr);
    std::string first;
    bool settingsEnabled = true;
    automation.onDialogShown = [&](ui::Dialog& d) {
        first = d.Item(IDC_LIST_FILTERS).ItemText(0);
        settingsEnabled = d.Item(IDC_BUTTON_FILTER_SETTINGS).IsEnabled();
        d.Item(ui::IDCANCEL).Click();
    };
    dialog.RunModal();
    EXPECT_EQ(first, "<ERROR>");
    EXPECT_FALSE(settingsEnabled);
}

}  // namespace
