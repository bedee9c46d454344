// The generated Windows Media profile: which codec formats it takes, on codec lists of
// the test's own making, and the streams it ends up with.
#include <gtest/gtest.h>

#include "WmfFaults.h"
#include "engine/WmProfile.h"

namespace {

using engine::AudioProfileParams;
using engine::VideoProfileParams;
using engine::WmProfileBuilder;
using namespace wmf;

WM_MEDIA_TYPE Wave(DWORD avgBytes, WORD blockAlign, WORD tag = WAVE_FORMAT_WMAUDIO2,
                   DWORD rate = 44100, WORD channels = 2) {
    WAVEFORMATEX w;
    w.wFormatTag = tag;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.nAvgBytesPerSec = avgBytes;
    w.nBlockAlign = blockAlign;
    w.wBitsPerSample = 16;
    return WaveFormatMediaType(w, {1, 2, 3, 4});
}

WM_MEDIA_TYPE Video(DWORD fourcc, DWORD bitrate = 100000) {
    VIDEOINFOHEADER v;
    v.rcSource = {4, 2, 64, 48};
    v.rcTarget = {6, 8, 64, 48};
    v.dwBitRate = bitrate;
    v.dwBitErrorRate = 7;
    v.AvgTimePerFrame = 333333;
    v.bmiHeader.biWidth = 64;
    v.bmiHeader.biHeight = 48;
    v.bmiHeader.biBitCount = 24;
    v.bmiHeader.biCompression = fourcc;
    return VideoInfoMediaType(v);
}

const AudioProfileParams kAudio{128000, WAVE_FORMAT_WMAUDIO2, 44100, 2};
const VideoProfileParams kVideo{FOURCC_WMV3, 798720, 404, 718, 23, 0, 8};

WM_MEDIA_TYPE StreamType(const WMProfile& profile, WORD number) {
    std::shared_ptr<WMStreamConfig> config;
    WM_MEDIA_TYPE type;
    if (FAILED(profile.GetStreamByNumber(number, config))) return type;
    DWORD size = 0;
    QueryMediaProps(config)->GetMediaType(nullptr, size);
    QueryMediaProps(config)->GetMediaType(&type, size);
    return type;
}

class ProfileBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wmf::testing::ResetAll();
        wmf::testing::InstallCodecs(WMMEDIATYPE_Video, {{"WMV9", {Video(FOURCC_WMV3)}}});
    }
    void TearDown() override { wmf::testing::ResetAll(); }
    void Audio(std::vector<wmf::CodecEntry> codecs) {
        wmf::testing::InstallCodecs(WMMEDIATYPE_Audio, std::move(codecs));
    }
    // The chosen audio format, or the failure code.
    HRESULT Generate(WAVEFORMATEX* chosen = nullptr, const VideoProfileParams& video = kVideo) {
        const HRESULT hr = WmProfileBuilder::GenerateProfile(kAudio, video, WMT_VER_9_0, profile);
        EXPECT_EQ(SUCCEEDED(hr), profile != nullptr);
        if (SUCCEEDED(hr) && chosen) ReadFormat(StreamType(*profile, 1), *chosen);
        return hr;
    }
    std::shared_ptr<WMProfile> profile;
};

TEST_F(ProfileBuilderTest, TheAudioBitrateMayBeMissedBy249BitsPerSecond) {
    struct Case {
        DWORD avgBytes;
        bool fits;
    };
    for (const Case c : {Case{16000, true}, Case{16031, true}, Case{16032, false},
                         Case{15969, true}, Case{15968, false}}) {
        Audio({{"WMA", {Wave(c.avgBytes, 100)}}});
        WAVEFORMATEX chosen;
        EXPECT_EQ(Generate(&chosen), c.fits ? S_OK : NS_E_AUDIO_CODEC_NOT_INSTALLED) << c.avgBytes;
        if (c.fits) {
            EXPECT_EQ(chosen.nAvgBytesPerSec, c.avgBytes);
        }
    }
}

TEST_F(ProfileBuilderTest, RateChannelsAndTagMustMatch) {
    Audio({{"WMA",
            {Wave(16000, 10, WAVE_FORMAT_WMAUDIO1), Wave(16000, 10, WAVE_FORMAT_WMAUDIO2, 48000),
             Wave(16000, 10, WAVE_FORMAT_WMAUDIO2, 44100, 1)}}});
    EXPECT_EQ(Generate(), NS_E_AUDIO_CODEC_NOT_INSTALLED);
}

TEST_F(ProfileBuilderTest, TheSmallestBlockAlignmentWinsAndTheLastOnATie) {
    Audio({{"first", {Wave(16000, 743), Wave(16001, 700)}},
           {"second", {Wave(16002, 700), Wave(16003, 800)}}});
    WAVEFORMATEX chosen;
    ASSERT_EQ(Generate(&chosen), S_OK);
    EXPECT_EQ(chosen.nAvgBytesPerSec, 16002u);
    EXPECT_EQ(chosen.nBlockAlign, 700);
}

TEST_F(ProfileBuilderTest, AnAudioFormatThatIsNoWaveFormatFailsTheWholeProfile) {
    Audio({{"WMA", {Wave(16000, 743)}}, {"odd", {Video(FOURCC_WMV2)}}});
    EXPECT_EQ(Generate(), E_FAIL);
}

TEST_F(ProfileBuilderTest, TheFirstVideoFormatWithTheFourccIsTakenOrNone) {
    Audio({{"WMA", {Wave(16000, 743)}}});
    wmf::testing::InstallCodecs(
        WMMEDIATYPE_Video,
        {{"WMV8", {Video(FOURCC_WMV2)}},
         {"WMV9", {Video(FOURCC_WMV1), Video(FOURCC_WMV3, 1), Video(FOURCC_WMV3, 2)}}});
    ASSERT_EQ(Generate(), S_OK);
    VIDEOINFOHEADER v;
    ASSERT_TRUE(ReadFormat(StreamType(*profile, 2), v));
    EXPECT_EQ(v.bmiHeader.biCompression, FOURCC_WMV3);
    EXPECT_EQ(v.dwBitErrorRate, 7u) << "the codec's own fields are kept";

    VideoProfileParams missing = kVideo;
    missing.fourcc = MakeFourcc('W', 'V', 'C', '1');
    EXPECT_EQ(Generate(nullptr, missing), NS_E_VIDEO_CODEC_NOT_INSTALLED);
}

TEST_F(ProfileBuilderTest, TheProfileHasItsNameAndBothStreamsAsAsked) {
    Audio({{"WMA", {Wave(16003, 743)}}});
    ASSERT_EQ(Generate(), S_OK);
    std::string name;
    DWORD version = 0, count = 0, exclusions = 9;
    profile->GetName(name);
    profile->GetVersion(version);
    profile->GetStreamCount(count);
    profile->GetMutualExclusionCount(exclusions);
    EXPECT_EQ(name, "Custom Profile");
    EXPECT_EQ(version, WMT_VER_9_0);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(exclusions, 0u);

    struct Expected {
        WORD number;
        const char* stream;
        const char* connection;
        DWORD bitrate;
    };
    for (const Expected& e : {Expected{1, "Audio Stream", "Audio", 16003 * 8},
                              Expected{2, "Video Stream", "Video", 798720}}) {
        std::shared_ptr<WMStreamConfig> config;
        ASSERT_EQ(profile->GetStreamByNumber(e.number, config), S_OK);
        std::string streamName, connection;
        DWORD bitrate = 0;
        config->GetStreamName(streamName);
        config->GetConnectionName(connection);
        config->GetBitrate(bitrate);
        EXPECT_EQ(streamName, e.stream);
        EXPECT_EQ(connection, e.connection);
        EXPECT_EQ(bitrate, e.bitrate);
    }

    const WM_MEDIA_TYPE audio = StreamType(*profile, 1);
    EXPECT_TRUE(audio.subtype == SubtypeOf(WAVE_FORMAT_WMAUDIO2));
    EXPECT_TRUE(audio.bFixedSizeSamples);
    EXPECT_FALSE(audio.bTemporalCompression);
    EXPECT_EQ(audio.lSampleSize, 743u);
    EXPECT_EQ(audio.cbFormat(), 18u + 4);
    EXPECT_EQ(audio.format, Wave(16003, 743).format);

    VIDEOINFOHEADER v;
    ASSERT_TRUE(ReadFormat(StreamType(*profile, 2), v));
    EXPECT_EQ(v.dwBitRate, 798720u);
    EXPECT_EQ(v.AvgTimePerFrame, 434782);
    EXPECT_EQ(v.bmiHeader.biWidth, 718);
    EXPECT_EQ(v.bmiHeader.biHeight, 404);
    EXPECT_EQ(v.rcSource.left, 4);
    EXPECT_EQ(v.rcSource.top, 2);
    EXPECT_EQ(v.rcSource.right, 718);
    EXPECT_EQ(v.rcTarget.left, 6);
    EXPECT_EQ(v.rcTarget.bottom, 404);
    std::shared_ptr<WMStreamConfig> video;
    profile->GetStreamByNumber(2, video);
    std::int64_t spacing = 0;
    DWORD quality = 99;
    QueryVideoMediaProps(video)->GetMaxKeyFrameSpacing(spacing);
    QueryVideoMediaProps(video)->GetQuality(quality);
    EXPECT_EQ(spacing, 80'000'000);
    EXPECT_EQ(quality, 0u);
}

TEST_F(ProfileBuilderTest, FrameRatesBecomeWholeFrameTimesAndZeroMeansOne) {
    Audio({{"WMA", {Wave(16000, 743)}}});
    for (const auto& [fps, frameTime] :
         {std::pair{23u, 434782}, std::pair{29u, 344827}, std::pair{0u, 10'000'000}}) {
        VideoProfileParams video = kVideo;
        video.framesPerSecond = fps;
        ASSERT_EQ(Generate(nullptr, video), S_OK);
        VIDEOINFOHEADER v;
        ReadFormat(StreamType(*profile, 2), v);
        EXPECT_EQ(v.AvgTimePerFrame, frameTime) << fps;
    }
}

TEST_F(ProfileBuilderTest, ACodecBlockShorterThanItClaimsIsNeverReadPast) {
    WM_MEDIA_TYPE claims = Wave(16000, 743);
    claims.format.resize(18);  // cbSize still says 4 codec bytes follow
    Audio({{"WMA", {claims}}});
    ASSERT_EQ(Generate(), S_OK);
    EXPECT_EQ(StreamType(*profile, 1).cbFormat(), 22u);
}

TEST_F(ProfileBuilderTest, FailuresReturnTheirCodeAndNoProfile) {
    Audio({{"WMA", {Wave(16000, 743)}}});
    for (auto op :
         {wmf::testing::Operation::CreateProfileManager,
          wmf::testing::Operation::CreateEmptyProfile, wmf::testing::Operation::AddStream}) {
        wmf::testing::ForceFailure(op, E_OUTOFMEMORY);
        EXPECT_EQ(Generate(), E_OUTOFMEMORY);
        wmf::testing::ResetAll();
        Audio({{"WMA", {Wave(16000, 743)}}});
        wmf::testing::InstallCodecs(WMMEDIATYPE_Video, {{"WMV9", {Video(FOURCC_WMV3)}}});
    }
}

TEST_F(ProfileBuilderTest, MapProfileLoadsTextAndReportsAMissingManagerOnStandardOutput) {
    EXPECT_EQ(WmProfileBuilder::MapProfile("test2", nullptr), E_POINTER);
    std::shared_ptr<WMProfile> mapped;
    EXPECT_EQ(WmProfileBuilder::MapProfile("test2", &mapped), NS_E_INVALIDPROFILE);
    EXPECT_FALSE(mapped);
    EXPECT_EQ(WmProfileBuilder::MapProfile("<profile name=\"x\"/>", &mapped), S_OK);
    ASSERT_TRUE(mapped);

    wmf::testing::ForceFailure(wmf::testing::Operation::CreateProfileManager, E_FAIL);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(WmProfileBuilder::MapProfile("test2", &mapped), E_FAIL);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "MapProfile: Failed to create profile manager!  hr=0x80004005\n");
}

}  // namespace
