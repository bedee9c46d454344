// Clips without sound convert to their picture alone in every format, while a clip
// with sound still needs its audio renderer.
#include <gtest/gtest.h>

#include "FakeShell.h"
#include "GraphHarness.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/ConversionGraph.h"
#include "engine/OutputFormat.h"
#include "engine/OutputSettings.h"
#include "platform/media/Media.h"
#include "platform/ui/Automation.h"
#include "platform/ui/Dialog.h"

namespace {

using engine::CompressorCategory;
using engine::ConversionGraph;

class SilentClipTest : public ::testing::TestWithParam<int>, protected GraphHarness {
protected:
    void SetUp() override {
        if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
        AttachGraph();
        settings.videoBitrate = 780 * 1024;
        settings.audioBitrate = 128000;
    }
    void TearDown() override {
        DetachGraph();
    }
    // Opens `clip` and builds for `format` with the preferred compressors switched on.
    HRESULT Open(const std::filesystem::path& clip, int format) {
        settings.format = format;
        settings.outputPath =
            (out / ("out" + std::string(engine::OutputFormatTable[format].savePattern + 1)))
                .string();
        ChoosePreferredCompressors(format);
        settings.useVideoCompressor = settings.useAudioCompressor = 1;
        sourcePath = clip.string();
        return graph.OpenSourceGraph(sourcePath);
    }

};

TEST_P(SilentClipTest, IsWrittenWithItsVideoStreamAloneAndEveryFrame) {
    const auto clip = fixtures::VideoOnlyMkv();
    settings.outputWidth = 718;
    settings.outputHeight = 404;
    ASSERT_EQ(Open(clip, GetParam()), 1);
    ASSERT_EQ(graph.EnsureCompressors(), S_OK) << ::testing::PrintToString(BoxTexts());
    EXPECT_TRUE(automation.boxes.empty());
    ASSERT_EQ(graph.mediaControl->Run(), S_OK);
    long code = 0;
    ASSERT_EQ(graph.mediaEvent->WaitForCompletion(120000, code), S_OK);
    EXPECT_EQ(code, media::EC_COMPLETE);

    const auto source = fixtures::ProbeFile(clip, true);
    const auto written = fixtures::ProbeFile(settings.outputPath, true);
    ASSERT_TRUE(written.ok);
    ASSERT_EQ(written.streams.size(), 1u);
    const auto* v = written.Find("video");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->width, 718);
    EXPECT_EQ(v->height, 404);
    EXPECT_EQ(v->frames, source.Find("video")->frames);
}

INSTANTIATE_TEST_SUITE_P(Formats, SilentClipTest,
                         ::testing::Values(engine::kAvi, engine::kWmv, engine::kMkv, engine::kAsf,
                                           engine::kWebm),
                         [](const auto& param) {
                             return std::string(
                                 engine::OutputFormatTable[param.param].selectorText);
                         });

using SoundTest = SilentClipTest;

TEST_F(SoundTest, AClipWithSoundWhoseRendererIsGoneIsStillRefused) {
    ASSERT_EQ(Open(fixtures::H264AacMp4(), engine::kAvi), 1);
    std::shared_ptr<media::Filter> renderer;
    ASSERT_EQ(graph.FindRenderer(graph.graphManager, false, renderer), S_OK);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(graph.graphManager->RemoveFilter(renderer), S_OK);
    EXPECT_LT(graph.EnsureCompressors(), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot find audio renderer input pin!"}));
}

}  // namespace
