// Compressor categories, compressor settings, error texts and platform start-up.
#include <cstring>
#include <set>

#include "MediaTestSupport.h"

namespace {

using namespace media;
using namespace mediatest;

struct Entry {
    std::string name;  // empty when unreadable
    std::string display;
};

std::vector<Entry> Enumerate(const Guid& category) {
    std::vector<Entry> entries;
    std::shared_ptr<CreateDevEnum> devices;
    std::shared_ptr<EnumMoniker> monikers;
    EXPECT_EQ(CreateSystemDeviceEnum(devices), S_OK);
    if (devices->CreateClassEnumerator(category, monikers, 0) != S_OK) return entries;
    monikers->Reset();
    std::shared_ptr<Moniker> m;
    while (monikers->Next(m) == S_OK) {
        Entry e;
        std::shared_ptr<PropertyBag> bag;
        if (SUCCEEDED(m->BindToStorage(bag)) && FAILED(bag->Read("FriendlyName", e.name)))
            e.name.clear();
        m->GetDisplayName(e.display);
        entries.push_back(e);
    }
    return entries;
}

int IndexOf(const std::vector<Entry>& entries, const std::string& name) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == name) return static_cast<int>(i);
    return -1;
}

class DeviceTest : public MediaTest {};

TEST_F(DeviceTest, CategoriesListEncodersInOneOrderWithThePreferredNames) {
    const auto video = Enumerate(CLSID_VideoCompressorCategory);
    const auto audio = Enumerate(CLSID_AudioCompressorCategory);
    ASSERT_GT(video.size(), 5u);
    ASSERT_GT(audio.size(), 5u);
    const auto again = Enumerate(CLSID_VideoCompressorCategory);
    ASSERT_EQ(again.size(), video.size());
    for (std::size_t i = 0; i < video.size(); ++i)
        EXPECT_EQ(again[i].display, video[i].display) << i;

    EXPECT_GE(IndexOf(video, kFfdshowVideoEncoderName), 0);
    EXPECT_GE(IndexOf(video, kWebmVp8EncoderName), 0);
    EXPECT_GE(IndexOf(audio, kMicrosoftAdpcmName), 0);
    EXPECT_GE(IndexOf(audio, kVorbisEncoderName), 0);
    EXPECT_GE(IndexOf(video, "libx264 H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10"), 0)
        << "others by long name";
    EXPECT_EQ(IndexOf(audio, kFfdshowVideoEncoderName), -1) << "categories do not mix";

    std::set<std::string> displays;
    for (const auto& e : audio) displays.insert(e.display);
    EXPECT_FALSE(displays.count("@device:ffmpeg:vorbis")) << "experimental encoders are left out";
    EXPECT_FALSE(displays.count("@device:ffmpeg:h264_vaapi") ||
                 displays.count("@device:ffmpeg:mpeg4_v4l2m2m"))
        << "hardware encoders are left out";
}

TEST_F(DeviceTest, AnUnreadableNameStillHoldsItsPlace) {
    const auto before = Enumerate(CLSID_AudioCompressorCategory);
    const int index = IndexOf(before, kMicrosoftAdpcmName);
    ASSERT_GE(index, 0);
    media::testing::SetUnreadableDeviceName("adpcm_ms");
    const auto after = Enumerate(CLSID_AudioCompressorCategory);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(after[index].name.empty());
    EXPECT_EQ(after[index].display, "@device:ffmpeg:adpcm_ms");
    EXPECT_EQ(after[index + 1].name, before[index + 1].name) << "later entries keep their indexes";
}

TEST_F(DeviceTest, EveryBindCreatesAFreshFilterOfTheCategoryKind) {
    auto first = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    auto second = BindCompressor(CLSID_VideoCompressorCategory, kFfdshowVideoEncoderName);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    int in = 0, out = 0;
    CountPins(*first, in, out);
    EXPECT_EQ(in, 1);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(first->Name(), kFfdshowVideoEncoderName);
    EXPECT_EQ(GetPin(*first, PINDIR_INPUT, 0)->mediaType().majortype, MEDIATYPE_Video);
    FilterInfo info;
    first->QueryFilterInfo(info);
    EXPECT_FALSE(info.graph);
}

TEST_F(DeviceTest, ForcedFailuresAndEmptyCategories) {
    using media::testing::Operation;
    using media::testing::ScopedFailure;
    std::shared_ptr<CreateDevEnum> devices;
    {
        ScopedFailure fail(Operation::CreateSystemDeviceEnum, E_OUTOFMEMORY);
        EXPECT_EQ(CreateSystemDeviceEnum(devices), E_OUTOFMEMORY);
        EXPECT_FALSE(devices);
    }
    ASSERT_EQ(CreateSystemDeviceEnum(devices), S_OK);
    std::shared_ptr<EnumMoniker> monikers;
    {
        ScopedFailure fail(Operation::CreateClassEnumerator);
        EXPECT_EQ(devices->CreateClassEnumerator(CLSID_VideoCompressorCategory, monikers, 0),
                  E_FAIL);
    }
    {
        ScopedFailure empty(Operation::EmptyCategory);
        EXPECT_EQ(devices->CreateClassEnumerator(CLSID_VideoCompressorCategory, monikers, 0),
                  S_FALSE);
        EXPECT_FALSE(monikers);
    }
    EXPECT_EQ(devices->CreateClassEnumerator(MEDIATYPE_Video, monikers, 0), S_FALSE);
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_AudioCompressorCategory, monikers, 0), S_OK);
    std::shared_ptr<Moniker> m;
    ASSERT_EQ(monikers->Next(m), S_OK);
    ScopedFailure bind(Operation::BindToObject), storage(Operation::BindToStorage);
    std::shared_ptr<Filter> filter;
    std::shared_ptr<PropertyBag> bag;
    EXPECT_EQ(m->BindToObject(filter), E_FAIL);
    EXPECT_EQ(m->BindToStorage(bag), E_FAIL);
    EXPECT_FALSE(filter || bag);
}

class PropertyPageTest : public MediaTest {};

const FilterOption* FindOption(const std::vector<PropertyPage>& pages, const std::string& name) {
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == name) return &option;
    return nullptr;
}

TEST_F(PropertyPageTest, CompressorsOfferTheirEncodersOptions) {
    auto vp8 = BindCompressor(CLSID_VideoCompressorCategory, kWebmVp8EncoderName);
    auto pages = QuerySpecifyPropertyPages(vp8);
    ASSERT_TRUE(pages);
    std::vector<PropertyPage> list;
    ASSERT_EQ(pages->GetPages(list), S_OK);
    ASSERT_GE(list.size(), 2u);
    const FilterOption* bitrate = FindOption(list, "b");
    ASSERT_TRUE(bitrate);
    EXPECT_EQ(bitrate->type, FilterOption::Type::Integer);
    EXPECT_LT(bitrate->minimum, bitrate->maximum);
    const FilterOption* deadline = FindOption(list, "deadline");
    ASSERT_TRUE(deadline);
    EXPECT_EQ(deadline->type, FilterOption::Type::Choice);
    bool hasRealtime = false;
    for (const auto& [shown, value] : deadline->choices) hasRealtime |= shown == "realtime";
    EXPECT_TRUE(hasRealtime);

    EXPECT_EQ(pages->SetOption("b", "750000"), S_OK);
    EXPECT_EQ(pages->SetOption("deadline", "realtime"), S_OK);
    EXPECT_EQ(pages->SetOption("no-such-option", "1"), E_INVALIDARG);
    EXPECT_EQ(pages->SetOption("b", "-5"), E_INVALIDARG) << "out of range";
    ASSERT_EQ(pages->GetPages(list), S_OK);
    EXPECT_EQ(FindOption(list, "b")->value, "750000");
    EXPECT_EQ(FindOption(list, "deadline")->value, std::to_string(1)) << "realtime's value";

    auto other = BindCompressor(CLSID_VideoCompressorCategory, kWebmVp8EncoderName);
    std::vector<PropertyPage> fresh;
    QuerySpecifyPropertyPages(other)->GetPages(fresh);
    EXPECT_NE(FindOption(fresh, "b")->value, "750000") << "settings belong to one instance";
}

TEST_F(PropertyPageTest, SetFilterOptionsAppliesWhatItCanAndReportsTheRest) {
    auto vorbis = BindCompressor(CLSID_AudioCompressorCategory, kVorbisEncoderName);
    EXPECT_EQ(SetFilterOptions(vorbis, {{"b", "64000"}, {"bogus", "1"}}), E_INVALIDARG);
    std::vector<PropertyPage> list;
    QuerySpecifyPropertyPages(vorbis)->GetPages(list);
    ASSERT_TRUE(FindOption(list, "b"));
    EXPECT_EQ(FindOption(list, "b")->value, "64000");
    EXPECT_EQ(SetFilterOptions(nullptr, {}), E_POINTER);
}

TEST_F(PropertyPageTest, RangesAreTheEncodersOwnAndRowsOnlyWhatItReads) {
    auto vp8 = BindCompressor(CLSID_VideoCompressorCategory, kWebmVp8EncoderName);
    auto pages = QuerySpecifyPropertyPages(vp8);
    EXPECT_EQ(pages->SetOption("qmax", "69"), E_INVALIDARG) << "VP8 stops at 63";
    EXPECT_EQ(pages->SetOption("qmax", "63"), S_OK);
    EXPECT_EQ(pages->SetOption("bf", "2"), E_INVALIDARG) << "VP8 has no B-frames";
    std::vector<PropertyPage> list;
    auto ffv1 = BindCompressor(CLSID_VideoCompressorCategory, "FFmpeg video codec #1");
    ASSERT_TRUE(ffv1);
    QuerySpecifyPropertyPages(ffv1)->GetPages(list);
    for (const char* unread : {"b", "qmin", "qmax", "bf"})
        EXPECT_FALSE(FindOption(list, unread)) << "lossless: " << unread;
    auto adpcm = BindCompressor(CLSID_AudioCompressorCategory, kMicrosoftAdpcmName);
    QuerySpecifyPropertyPages(adpcm)->GetPages(list);
    EXPECT_FALSE(FindOption(list, "b")) << "ADPCM's rate follows the sample rate";
}

TEST_F(PropertyPageTest, FiltersWithoutSettingsOfferNoPages) {
    SKIP_WITHOUT_FFMPEG_TOOLS();
    auto graph = Render(fixtures::H264AacMp4().string());
    ASSERT_TRUE(graph);
    for (const auto& f : Filters(*graph)) EXPECT_FALSE(QuerySpecifyPropertyPages(f)) << f->Name();
    EXPECT_EQ(SetFilterOptions(FindRenderer(*graph, MEDIATYPE_Video), {{"b", "1"}}), E_NOINTERFACE);
}

TEST(ErrorTextTest, EveryCodeHasItsOwnText) {
    std::set<std::string> texts;
    for (HRESULT hr : KnownResultCodes()) {
        const std::string text = ErrorText(hr);
        EXPECT_FALSE(text.empty()) << std::hex << hr;
        EXPECT_TRUE(texts.insert(text).second) << "duplicate text: " << text;
    }
    EXPECT_TRUE(HasErrorText(VFW_E_TYPE_NOT_ACCEPTED));
    EXPECT_FALSE(HasErrorText(static_cast<HRESULT>(0x80041234u)));
    EXPECT_NE(ErrorText(static_cast<HRESULT>(0x80041234u)).find("80041234"), std::string::npos);
}

TEST(ErrorTextTest, BufferFormTruncatesAndTerminates) {
    char buffer[160];
    std::memset(buffer, 'x', sizeof buffer);
    const std::size_t n = AMGetErrorTextA(REGDB_E_CLASSNOTREG, buffer, sizeof buffer);
    EXPECT_EQ(n, std::strlen(buffer));
    EXPECT_EQ(std::string(buffer), ErrorText(REGDB_E_CLASSNOTREG));
    char tiny[8];
    EXPECT_EQ(AMGetErrorTextA(E_FAIL, tiny, sizeof tiny), 7u);
    EXPECT_EQ(std::string(tiny), ErrorText(E_FAIL).substr(0, 7));
    EXPECT_EQ(AMGetErrorTextA(E_FAIL, nullptr, 10), 0u);
}

TEST_F(DeviceTest, InitializeCountsAndCanBeForcedToFail) {
    {
        media::testing::ScopedFailure fail(media::testing::Operation::Initialize,
                                           CO_E_NOTINITIALIZED);
        EXPECT_EQ(Initialize(), CO_E_NOTINITIALIZED);
    }
    const HRESULT first = Initialize();
    EXPECT_TRUE(first == S_OK || first == S_FALSE);
    EXPECT_EQ(Initialize(), S_FALSE);
    Uninitialize();
    Uninitialize();
}

TEST_F(PropertyPageTest, H264SettingsOfferQualitySpeedTuningProfileAndBitrate) {
    auto x264 = BindCompressor(CLSID_VideoCompressorCategory,
                               "libx264 H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10");
    auto pages = QuerySpecifyPropertyPages(x264);
    ASSERT_TRUE(pages);
    std::vector<PropertyPage> list;
    ASSERT_EQ(pages->GetPages(list), S_OK);
    for (const char* name : {"crf", "preset", "tune", "profile", "b"})
        EXPECT_TRUE(FindOption(list, name)) << name;
    EXPECT_EQ(pages->SetOption("preset", "slow"), S_OK);
    EXPECT_EQ(pages->SetOption("crf", "18"), S_OK);
}

TEST(EncoderDefaultsTest, H264RunsAtConstantQualityUnlessABitrateIsAsked) {
    using Options = EncoderOptions;
    EXPECT_EQ(EncoderDefaults("libx264", 1280, 720, 30),
              (Options{{"crf", "21"}, {"preset", "veryfast"}}));
    // A bitrate the person set is what the encoder aims at; their preset stays.
    EXPECT_EQ(EncoderDefaults("libx264", 1280, 720, 30, {"b", "preset"}), Options{});
    EXPECT_EQ(EncoderDefaults("aac", 0, 0, 0), (Options{{"b", "160000"}}));
    EXPECT_EQ(EncoderDefaults("libaom-av1", 1280, 720, 30, {"cpu-used"}),
              (Options{{"crf", "30"}, {"row-mt", "1"}}));
    EXPECT_EQ(EncoderDefaults("aac", 0, 0, 0, {"b"}), Options{});
    EXPECT_EQ(MuxerDefaults("mp4"), (Options{{"movflags", "+faststart"}}));
    EXPECT_TRUE(MuxerDefaults("matroska").empty());
}

}  // namespace
