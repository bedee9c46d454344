// When FFmpeg refuses a step, the graph keeps FFmpeg's own words for it, per run.
#include "MediaTestSupport.h"
#include "TestEnv.h"

namespace {

using namespace media;
using namespace mediatest;

class FailureReasonTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        SKIP_WITHOUT_FFMPEG_TOOLS();
    }
    static std::string ReasonOf(FilterGraph& graph) {
        std::shared_ptr<MediaEventEx> events;
        EXPECT_EQ(graph.QueryMediaEventEx(events), S_OK);
        return events ? events->FailureReason() : "";
    }
    HRESULT Build(const std::string& source, const std::string& output, Conversion& conv) {
        return BuildConversion(
            source, MEDIASUBTYPE_Avi, output,
            BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName),
            BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName), conv);
    }
    testenv::TempDir dir;
};

// The encoder says why it will not open.
TEST_F(FailureReasonTest, AnEncoderThatWillNotOpenGivesFfmpegsReason) {
    const auto source = fixtures::TooWideForMpeg4();
    const std::string output = (dir / "wide.avi").string();
    Conversion conv;
    ASSERT_EQ(Build(source.string(), output, conv), S_OK);
    HRESULT hr = S_OK;
    EXPECT_EQ(RunToEnd(*conv.graph, &hr), 0) << "the run does not start";
    EXPECT_EQ(hr, QV_E_ENCODER_OPEN);
    EXPECT_EQ(ReasonOf(*conv.graph), "dimensions too large for MPEG-4");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(FailureReasonTest, ARunThatEndsWellHasNoReasonAndNeitherDoesTheNextGraph) {
    Conversion refused;
    ASSERT_EQ(Build(fixtures::TooWideForMpeg4().string(), (dir / "wide.avi").string(), refused),
              S_OK);
    EXPECT_EQ(RunToEnd(*refused.graph), 0);
    ASSERT_FALSE(ReasonOf(*refused.graph).empty());

    Conversion fine;
    ASSERT_EQ(Build(fixtures::H264AacMp4().string(), (dir / "fine.avi").string(), fine), S_OK);
    EXPECT_EQ(ReasonOf(*fine.graph), "") << "before any run";
    HRESULT hr = E_FAIL;
    EXPECT_EQ(RunToEnd(*fine.graph, &hr), EC_COMPLETE);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(ReasonOf(*fine.graph), "");
    EXPECT_FALSE(ReasonOf(*refused.graph).empty()) << "each graph keeps its own";
}

}  // namespace
