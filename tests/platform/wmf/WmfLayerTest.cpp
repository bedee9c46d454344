// The Windows Media profile layer: the codecs it offers, stream configurations,
// profiles, and profile text.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "WmfFaults.h"
#include "platform/wmf/Runtime.h"
#include "platform/wmf/Wmf.h"

namespace {

using namespace wmf;

WM_MEDIA_TYPE MediaTypeOf(const std::shared_ptr<WMStreamConfig>& config) {
    WM_MEDIA_TYPE type;
    DWORD size = 0;
    auto props = QueryMediaProps(config);
    EXPECT_EQ(props->GetMediaType(nullptr, size), S_OK);
    EXPECT_EQ(props->GetMediaType(&type, size), S_OK);
    return type;
}

class WmfTest : public ::testing::Test {
protected:
    void SetUp() override {
        wmf::testing::ResetAll();
        ASSERT_EQ(WMCreateProfileManager(manager), S_OK);
        info = QueryCodecInfo(manager);
        ASSERT_TRUE(info);
    }
    void TearDown() override { wmf::testing::ResetAll(); }
    std::shared_ptr<WMProfileManager> manager;
    std::shared_ptr<WMCodecInfo> info;
};

TEST_F(WmfTest, AudioFormatsDescribeWhatTheEncoderWrites) {
    DWORD codecs = 0;
    ASSERT_EQ(info->GetCodecInfoCount(WMMEDIATYPE_Audio, codecs), S_OK);
    ASSERT_GE(codecs, 1u);
    std::string name;
    ASSERT_EQ(info->GetCodecName(WMMEDIATYPE_Audio, 0, name), S_OK);
    EXPECT_EQ(name, "Windows Media Audio 2");
    DWORD formats = 0;
    ASSERT_EQ(info->GetCodecFormatCount(WMMEDIATYPE_Audio, 0, formats), S_OK);
    std::set<DWORD> stereo44k;
    for (DWORD f = 0; f < formats; ++f) {
        std::shared_ptr<WMStreamConfig> config;
        ASSERT_EQ(info->GetCodecFormat(WMMEDIATYPE_Audio, 0, f, config), S_OK);
        const WM_MEDIA_TYPE type = MediaTypeOf(config);
        WAVEFORMATEX w;
        ASSERT_TRUE(type.formattype == WMFORMAT_WaveFormatEx && ReadFormat(type, w));
        EXPECT_EQ(w.wFormatTag, WAVE_FORMAT_WMAUDIO2);
        EXPECT_TRUE(type.subtype == SubtypeOf(WAVE_FORMAT_WMAUDIO2));
        EXPECT_GT(w.nBlockAlign, 0);
        EXPECT_EQ(type.lSampleSize, w.nBlockAlign);
        EXPECT_EQ(type.cbFormat(), 18u + w.cbSize);
        EXPECT_EQ(w.cbSize, 10) << "the encoder's codec bytes";
        DWORD bitrate = 0;
        config->GetBitrate(bitrate);
        EXPECT_EQ(bitrate, w.nAvgBytesPerSec * 8);
        if (w.nSamplesPerSec == 44100 && w.nChannels == 2) stereo44k.insert(bitrate);
    }
    for (DWORD bitrate : {64000u, 128000u, 192000u, 320000u})
        EXPECT_TRUE(stereo44k.count(bitrate)) << bitrate;
}

// The program's own runtime has no hooks: a test's codecs and failures never reach it.
TEST_F(WmfTest, TheLayersOwnRuntimeOffersItsCodecsWhateverATestInstalled) {
    wmf::testing::InstallCodecs(WMMEDIATYPE_Video, {{"Made up", {}}});
    wmf::testing::InstallCodecs(WMMEDIATYPE_Audio, {});
    for (auto op : {wmf::testing::Operation::CreateProfileManager,
                    wmf::testing::Operation::CreateEmptyProfile,
                    wmf::testing::Operation::AddStream})
        wmf::testing::ForceFailure(op, E_OUTOFMEMORY);
    wmf::InstallRuntime(nullptr);

    std::shared_ptr<WMProfileManager> own;
    ASSERT_EQ(WMCreateProfileManager(own), S_OK);
    auto codecs = QueryCodecInfo(own);
    ASSERT_TRUE(codecs);
    std::string name;
    ASSERT_EQ(codecs->GetCodecName(WMMEDIATYPE_Video, 0, name), S_OK);
    EXPECT_EQ(name, "Windows Media Video 8");
    std::shared_ptr<WMStreamConfig> config;
    ASSERT_EQ(codecs->GetCodecFormat(WMMEDIATYPE_Audio, 0, 0, config), S_OK);
    ASSERT_EQ(config->SetStreamNumber(1), S_OK);
    std::shared_ptr<WMProfile> profile;
    ASSERT_EQ(own->CreateEmptyProfile(WMT_VER_9_0, profile), S_OK);
    EXPECT_EQ(profile->AddStream(config), S_OK);
}

TEST_F(WmfTest, VideoIsWindowsMediaVideo8AsAVideoInfoFormat) {
    std::string name;
    ASSERT_EQ(info->GetCodecName(WMMEDIATYPE_Video, 0, name), S_OK);
    EXPECT_EQ(name, "Windows Media Video 8");
    std::shared_ptr<WMStreamConfig> config;
    ASSERT_EQ(info->GetCodecFormat(WMMEDIATYPE_Video, 0, 0, config), S_OK);
    const WM_MEDIA_TYPE type = MediaTypeOf(config);
    VIDEOINFOHEADER v;
    ASSERT_TRUE(type.formattype == WMFORMAT_VideoInfo && ReadFormat(type, v));
    EXPECT_EQ(v.bmiHeader.biCompression, FOURCC_WMV2);
    EXPECT_TRUE(QueryVideoMediaProps(config));
    EXPECT_EQ(info->GetCodecFormat(WMMEDIATYPE_Video, 0, 99, config), E_INVALIDARG);
}

TEST_F(WmfTest, StreamsAreCopiedIntoTheProfileAndChecked) {
    std::shared_ptr<WMProfile> profile;
    ASSERT_EQ(manager->CreateEmptyProfile(WMT_VER_9_0, profile), S_OK);
    std::shared_ptr<WMStreamConfig> audio;
    ASSERT_EQ(info->GetCodecFormat(WMMEDIATYPE_Audio, 0, 0, audio), S_OK);
    EXPECT_FALSE(QueryVideoMediaProps(audio));
    EXPECT_EQ(profile->AddStream(audio), E_INVALIDARG) << "no stream number yet";
    EXPECT_EQ(audio->SetStreamNumber(64), E_INVALIDARG);
    ASSERT_EQ(audio->SetStreamNumber(1), S_OK);
    ASSERT_EQ(audio->SetStreamName("Audio Stream"), S_OK);
    ASSERT_EQ(profile->AddStream(audio), S_OK);
    EXPECT_EQ(profile->AddStream(audio), E_INVALIDARG) << "number 1 is taken";
    audio->SetStreamName("changed afterwards");
    std::shared_ptr<WMStreamConfig> held;
    ASSERT_EQ(profile->GetStreamByNumber(1, held), S_OK);
    std::string name;
    held->GetStreamName(name);
    EXPECT_EQ(name, "Audio Stream");

    std::shared_ptr<WMStreamConfig> fresh;
    ASSERT_EQ(profile->CreateNewStream(WMMEDIATYPE_Video, fresh), S_OK);
    fresh->SetStreamNumber(2);
    EXPECT_EQ(profile->AddStream(fresh), E_INVALIDARG) << "no media type";
    EXPECT_EQ(QueryMediaProps(fresh)->SetMediaType(MediaTypeOf(audio)), E_INVALIDARG);

    DWORD size = 0;
    WM_MEDIA_TYPE type;
    auto props = QueryMediaProps(held);
    props->GetMediaType(nullptr, size);
    DWORD tooSmall = size - 1;
    EXPECT_EQ(props->GetMediaType(&type, tooSmall), ASF_E_BUFFERTOOSMALL);
}

std::shared_ptr<WMProfile> TwoStreamProfile(WMProfileManager& manager, WMCodecInfo& info,
                                            std::optional<DWORD> compression = std::nullopt) {
    std::shared_ptr<WMProfile> profile;
    manager.CreateEmptyProfile(WMT_VER_9_0, profile);
    profile->SetName("Custom \"Profile\" <&>");
    std::shared_ptr<WMStreamConfig> audio, video;
    info.GetCodecFormat(WMMEDIATYPE_Audio, 0, 3, audio);
    audio->SetStreamNumber(1);
    audio->SetStreamName("Audio Stream");
    audio->SetConnectionName("Audio");
    profile->AddStream(audio);
    info.GetCodecFormat(WMMEDIATYPE_Video, 0, 0, video);
    video->SetStreamNumber(2);
    video->SetStreamName("Video Stream");
    video->SetConnectionName("Video");
    video->SetBitrate(798720);
    QueryVideoMediaProps(video)->SetQuality(0);
    QueryVideoMediaProps(video)->SetMaxKeyFrameSpacing(80'000'000);
    WM_MEDIA_TYPE type = MediaTypeOf(video);
    VIDEOINFOHEADER v;
    ReadFormat(type, v);
    v.rcSource = {2, 3, 718, 404};
    v.bmiHeader.biWidth = 718;
    v.bmiHeader.biHeight = 404;
    v.AvgTimePerFrame = 434782;
    if (compression) v.bmiHeader.biCompression = *compression;
    WriteFormat(type, v);
    QueryMediaProps(video)->SetMediaType(type);
    profile->AddStream(video);
    return profile;
}

TEST_F(WmfTest, ProfileTextGivesBackTheSameProfile) {
    const auto profile = TwoStreamProfile(*manager, *info);
    std::string text;
    ASSERT_EQ(manager->SaveProfile(profile, text), S_OK);
    std::shared_ptr<WMProfile> loaded;
    ASSERT_EQ(manager->LoadProfileByData(text, loaded), S_OK) << text;
    std::string again;
    ASSERT_EQ(manager->SaveProfile(loaded, again), S_OK);
    EXPECT_EQ(again, text);
    std::string name;
    loaded->GetName(name);
    EXPECT_EQ(name, "Custom \"Profile\" <&>");
    for (WORD number : {1, 2}) {
        std::shared_ptr<WMStreamConfig> a, b;
        ASSERT_EQ(profile->GetStreamByNumber(number, a), S_OK);
        ASSERT_EQ(loaded->GetStreamByNumber(number, b), S_OK);
        const WM_MEDIA_TYPE x = MediaTypeOf(a), y = MediaTypeOf(b);
        EXPECT_EQ(x.format, y.format) << "format block of stream " << number;
        EXPECT_TRUE(x.subtype == y.subtype && x.formattype == y.formattype);
        EXPECT_EQ(x.lSampleSize, y.lSampleSize);
    }
}

TEST_F(WmfTest, EveryCompressionCodeSurvivesSaveAndLoad) {
    // Codes whose bytes spell text starting with a digit ("1abc") once saved as
    // that text, which reads back as a bad number.
    for (const DWORD code : {MakeFourcc('1', 'a', 'b', 'c'), MakeFourcc('1', '2', '3', '4'),
                             MakeFourcc('W', 'M', 'V', '3'), MakeFourcc('a', ' ', 'b', 'c'),
                             DWORD{0}, DWORD{3}, DWORD{1234}, DWORD{0xFFFFFFFF}}) {
        std::string text;
        ASSERT_EQ(manager->SaveProfile(TwoStreamProfile(*manager, *info, code), text), S_OK);
        std::shared_ptr<WMProfile> loaded;
        ASSERT_EQ(manager->LoadProfileByData(text, loaded), S_OK) << code << "\n" << text;
        std::shared_ptr<WMStreamConfig> video;
        ASSERT_EQ(loaded->GetStreamByNumber(2, video), S_OK);
        VIDEOINFOHEADER v;
        ASSERT_TRUE(ReadFormat(MediaTypeOf(video), v));
        EXPECT_EQ(v.bmiHeader.biCompression, code);
    }
}

TEST_F(WmfTest, ProfileTextInThePlatformsOwnSpellingLoads) {
    const std::string prx = R"(<?xml version="1.0"?>
<!-- saved by another tool -->
<profile version="589824" name='Hand made'>
  <streamconfig majortype="{73646976-0000-0010-8000-00AA00389B71}" streamnumber="1"
                streamname="Video Stream" inputname="Video" bitrate="300000">
    <videomediaprops maxkeyframespacing="50000000" quality="80"/>
    <wmmediatype subtype="{32564D57-0000-0010-8000-00AA00389B71}" bfixedsizesamples="0"
                 btemporalcompression="1">
      <videoinfoheader dwBitRate="300000" AvgTimePerFrame="333667">
        <rcsource left="0" top="0" right="320" bottom="240"/>
        <bitmapinfoheader biWidth="320" biHeight="240" biCompression="WMV2"/>
      </videoinfoheader>
    </wmmediatype>
  </streamconfig>
</profile>)";
    std::shared_ptr<WMProfile> loaded;
    ASSERT_EQ(manager->LoadProfileByData(prx, loaded), S_OK);
    std::shared_ptr<WMStreamConfig> video;
    ASSERT_EQ(loaded->GetStreamByNumber(1, video), S_OK);
    VIDEOINFOHEADER v;
    ASSERT_TRUE(ReadFormat(MediaTypeOf(video), v));
    EXPECT_EQ(v.bmiHeader.biCompression, FOURCC_WMV2);
    EXPECT_EQ(v.AvgTimePerFrame, 333667);
    DWORD quality = 0;
    QueryVideoMediaProps(video)->GetQuality(quality);
    EXPECT_EQ(quality, 80u);
}

TEST_F(WmfTest, TextThatIsNoProfileIsRefused) {
    std::string good;
    ASSERT_EQ(manager->SaveProfile(TwoStreamProfile(*manager, *info), good), S_OK);
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<profile>";
    for (const std::string& text :
         {std::string("test2"), std::string(), good.substr(0, good.size() / 2),
          std::string("<profile><streamconfig></profile>"), std::string("<notaprofile/>"),
          deep, std::string(200000, '<'),
          // a stream number out of range, a bad number, a bad codec-data digit
          std::string(good).replace(good.find("streamnumber=\"1\""), 16, "streamnumber=\"99\""),
          std::string(good).replace(good.find("nChannels=\"2\""), 13, "nChannels=\"x\""),
          std::string(good).replace(good.find("codecdata=\"") + 11, 1, "G")}) {
        std::shared_ptr<WMProfile> loaded;
        EXPECT_EQ(manager->LoadProfileByData(text, loaded), NS_E_INVALIDPROFILE)
            << text.substr(0, 80);
        EXPECT_FALSE(loaded);
    }
}

}  // namespace
