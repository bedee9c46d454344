// Installable compressors over the catalogue's video encoders: listing, the
// compress query, state blocks and the configuration dialog's kept state.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "TestEnv.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/vfw/Vfw.h"

namespace {

using namespace vfw;

std::vector<ICINFO> AllDrivers() {
    std::vector<ICINFO> drivers;
    ICINFO info;
    for (DWORD i = 0; ICInfo(ICTYPE_VIDEO, i, info); ++i) drivers.push_back(info);
    return drivers;
}

ICINFO DriverNamed(const std::string& description) {
    for (const ICINFO& info : AllDrivers())
        if (info.szDescription == description) return info;
    ADD_FAILURE() << "no driver " << description;
    return {};
}

BITMAPINFOHEADER Rgb(int width, int height, int bits = 24) {
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(width * height * bits / 8);
    return h;
}

struct Opened {
    explicit Opened(const std::string& description) {
        const ICINFO info = DriverNamed(description);
        hic = ICOpen(info.fccType, info.fccHandler, ICMODE_COMPRESS);
    }
    ~Opened() {
        if (hic) ICClose(hic);
    }
    std::vector<char> State() const {
        std::vector<char> block(static_cast<std::size_t>(ICGetStateSize(hic)));
        EXPECT_EQ(ICGetState(hic, block.data(), static_cast<DWORD>(block.size())), ICERR_OK);
        return block;
    }
    HIC hic = nullptr;
};

std::string SlotValue(const std::vector<char>& block, const std::string& key) {
    for (std::size_t at = 40; at + 96 <= block.size(); at += 96) {
        const std::string slot(block.data() + at);
        if (slot.rfind(key + "=", 0) == 0) return slot.substr(key.size() + 1);
    }
    return "<none>";
}

const ui::FrameOption* FindOption(const std::vector<ui::FramePage>& pages, const std::string& key) {
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == key) return &option;
    return nullptr;
}

class VfwTest : public ::testing::Test {
protected:
    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
};

TEST_F(VfwTest, DriversAreTheCataloguesVideoCompressorsWithLastingHandlers) {
    const auto drivers = AllDrivers();
    ASSERT_GT(drivers.size(), 10u);
    std::set<DWORD> handlers;
    for (const ICINFO& info : drivers) {
        EXPECT_EQ(info.fccType, ICTYPE_VIDEO);
        EXPECT_FALSE(info.szDescription.empty());
        handlers.insert(info.fccHandler);
    }
    EXPECT_EQ(handlers.size(), drivers.size()) << "one handler per driver";
    EXPECT_EQ(DriverNamed("ffdshow video encoder").szName, "mpeg4");
    EXPECT_EQ(DriverNamed("WebM VP8 Encoder Filter").szName, "libvpx");

    ICINFO info;
    EXPECT_FALSE(ICInfo(mmioFOURCC('v', 'i', 'd', 's'), 0, info)) << "not a compressor type";
    EXPECT_FALSE(ICInfo(ICTYPE_VIDEO, static_cast<DWORD>(drivers.size()), info));
    EXPECT_EQ(ICOpen(ICTYPE_VIDEO, mmioFOURCC('N', 'O', 'N', 'E'), ICMODE_COMPRESS), nullptr);

    Opened mpeg4("ffdshow video encoder");
    ASSERT_NE(mpeg4.hic, nullptr);
    ICINFO record;
    EXPECT_EQ(ICGetInfo(mpeg4.hic, record), 568);
    EXPECT_EQ(record.fccHandler, DriverNamed("ffdshow video encoder").fccHandler);
}

TEST_F(VfwTest, CompressQueryTakesRgbFramesOfSizesTheEncoderSupports) {
    Opened mpeg4("ffdshow video encoder");
    ASSERT_NE(mpeg4.hic, nullptr);
    const BITMAPINFOHEADER probe = Rgb(352, 240);
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &probe, nullptr), ICERR_OK);
    const BITMAPINFOHEADER rgb32 = Rgb(352, 240, 32);
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &rgb32, nullptr), ICERR_OK);
    const BITMAPINFOHEADER rgb16 = Rgb(352, 240, 16);
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &rgb16, nullptr), ICERR_BADFORMAT);
    BITMAPINFOHEADER packed = Rgb(352, 240);
    packed.biCompression = mmioFOURCC('Y', 'U', 'Y', '2');
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &packed, nullptr), ICERR_BADFORMAT);
    const BITMAPINFOHEADER empty = Rgb(0, 240);
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &empty, nullptr), ICERR_BADFORMAT);
    const BITMAPINFOHEADER smaller = Rgb(176, 144);
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, &probe, &smaller), ICERR_BADFORMAT) << "no scaling";
    EXPECT_EQ(ICCompressQuery(mpeg4.hic, nullptr, nullptr), ICERR_BADPARAM);

    // H.263 takes only its picture sizes: CIF, not 352 x 240.
    Opened h263("H.263 / H.263-1996");
    ASSERT_NE(h263.hic, nullptr);
    EXPECT_EQ(ICCompressQuery(h263.hic, &probe, nullptr), ICERR_BADFORMAT);
    const BITMAPINFOHEADER cif = Rgb(352, 288);
    EXPECT_EQ(ICCompressQuery(h263.hic, &cif, nullptr), ICERR_OK);
}

TEST_F(VfwTest, StateBlocksRoundTripAndForeignOrDamagedBlocksAreRefused) {
    Opened mpeg4("ffdshow video encoder");
    Opened mpeg1("MPEG-1 video");
    ASSERT_TRUE(mpeg4.hic && mpeg1.hic);
    const LRESULT size = ICGetStateSize(mpeg4.hic);
    ASSERT_GT(size, 0);
    std::vector<char> small(static_cast<std::size_t>(size - 1));
    EXPECT_EQ(ICGetState(mpeg4.hic, small.data(), static_cast<DWORD>(small.size())), ICERR_BADSIZE);

    std::vector<char> block = mpeg4.State();
    EXPECT_EQ(SlotValue(block, "b"), "0");  // runs go by quantizer: no bitrate
    EXPECT_EQ(SlotValue(block, "g"), "12");
    EXPECT_EQ(ICSetState(mpeg4.hic, block.data(), static_cast<DWORD>(size)), size);

    // Another driver's block, even cut to this one's size, never passes for this one's.
    std::vector<char> foreign = mpeg1.State();
    foreign.resize(static_cast<std::size_t>(size));
    EXPECT_EQ(ICSetState(mpeg4.hic, foreign.data(), static_cast<DWORD>(size)), ICERR_BADPARAM);
    EXPECT_EQ(ICSetState(mpeg4.hic, block.data(), static_cast<DWORD>(size - 1)), ICERR_BADPARAM);
    EXPECT_EQ(ICSetState(mpeg4.hic, nullptr, static_cast<DWORD>(size)), ICERR_BADPARAM);

    // A value the encoder refuses, and a slot without its terminating zero.
    std::vector<char> damaged = block;
    for (std::size_t at = 40; at < damaged.size(); at += 96)
        if (std::string(damaged.data() + at).rfind("g=", 0) == 0) std::strcpy(damaged.data() + at, "g=many");
    EXPECT_EQ(ICSetState(mpeg4.hic, damaged.data(), static_cast<DWORD>(size)), ICERR_BADPARAM);
    damaged = block;
    std::memset(damaged.data() + 40, 'x', 96);
    EXPECT_EQ(ICSetState(mpeg4.hic, damaged.data(), static_cast<DWORD>(size)), ICERR_BADPARAM);
    EXPECT_EQ(mpeg4.State(), block) << "a refused block changes nothing";

    // A good block with other values takes effect.
    std::vector<char> changed = block;
    for (std::size_t at = 40; at < changed.size(); at += 96)
        if (std::string(changed.data() + at).rfind("g=", 0) == 0) std::strcpy(changed.data() + at, "g=48");
    EXPECT_EQ(ICSetState(mpeg4.hic, changed.data(), static_cast<DWORD>(size)), size);
    EXPECT_EQ(SlotValue(mpeg4.State(), "g"), "48");
}

TEST_F(VfwTest, ConfigurationDialogOffersTheUsefulOptionsAndKeepsTheConfirmedOnes) {
    {
        Opened mpeg4("ffdshow video encoder");
        ASSERT_NE(mpeg4.hic, nullptr);
        EXPECT_EQ(ICConfigure(mpeg4.hic, nullptr), ICERR_ABORT) << "unanswered: cancelled";
        ASSERT_EQ(automation.framesShown.size(), 1u);
        EXPECT_EQ(automation.framesShown[0].first, "ffdshow video encoder");
        const auto& pages = automation.framesShown[0].second;
        const ui::FrameOption* bitrate = FindOption(pages, "b");
        ASSERT_NE(bitrate, nullptr);
        EXPECT_EQ(bitrate->type, ui::FrameOption::Type::Integer);
        EXPECT_EQ(bitrate->value, "0") << "unused while the quantizer rules: a dash";
        EXPECT_EQ(bitrate->help, "Bitrate (kbit/s)");
        const ui::FrameOption* gop = FindOption(pages, "g");
        ASSERT_NE(gop, nullptr);
        EXPECT_EQ(gop->value, "12");
        EXPECT_GE(gop->minimum, 1);
        EXPECT_LE(gop->maximum, 1000);
        const ui::FrameOption* decision = FindOption(pages, "motion_est");
        ASSERT_NE(decision, nullptr);
        EXPECT_EQ(decision->type, ui::FrameOption::Type::Choice);
        EXPECT_EQ(decision->choices.size(), 3u);  // zero, epzs, xone
        EXPECT_TRUE(SavedCompressorOptions("ffdshow video encoder").empty());

        // Confirmed: 400 kbit/s and key frames every 25; a refused value is dropped.
        automation.frameAnswers = {std::map<std::string, std::string>{
            {"b", "400"}, {"g", "25"}, {"qmax", "many"}}};
        EXPECT_EQ(ICConfigure(mpeg4.hic, nullptr), ICERR_OK);
        EXPECT_EQ(SlotValue(mpeg4.State(), "b"), "400000");
        EXPECT_EQ(SlotValue(mpeg4.State(), "qmax"), "31");
    }
    // Kept for the user: a new instance starts with it, and so does the filter of that name.
    Opened again("ffdshow video encoder");
    EXPECT_EQ(SlotValue(again.State(), "b"), "400000");
    EXPECT_EQ(SlotValue(again.State(), "g"), "25");
    const auto saved = SavedCompressorOptions("FFDSHOW Video Encoder");
    EXPECT_EQ(saved.at("b"), "400000");
    EXPECT_EQ(saved.at("g"), "25");
    EXPECT_TRUE(registry::Store(registry.file()).KeyExists(DriverStateKey("mpeg4")));
    EXPECT_TRUE(SavedCompressorOptions("MPEG-1 video").empty()) << "each driver its own";
    EXPECT_TRUE(SavedCompressorOptions("no such compressor").empty());
}

TEST_F(VfwTest, DamagedSavedValuesAreIgnored) {
    registry::Store store(registry.file());
    store.Set(DriverStateKey("mpeg4"), "b", registry::Value::String("-7"));
    store.Set(DriverStateKey("mpeg4"), "g", registry::Value::Dword(30));
    store.Set(DriverStateKey("mpeg4"), "bf", registry::Value::String("2"));
    Opened mpeg4("ffdshow video encoder");
    ASSERT_NE(mpeg4.hic, nullptr);
    EXPECT_EQ(SlotValue(mpeg4.State(), "b"), "0");
    EXPECT_EQ(SlotValue(mpeg4.State(), "g"), "12");
    EXPECT_EQ(SlotValue(mpeg4.State(), "bf"), "2");

    // Beyond what VP8 takes (from another FFmpeg, or by hand): ignored, never handed on.
    store.Set(DriverStateKey("libvpx"), "qmax", registry::Value::String("69"));
    store.Set(DriverStateKey("libvpx"), "g", registry::Value::String("40"));
    Opened vp8("WebM VP8 Encoder Filter");
    ASSERT_NE(vp8.hic, nullptr);
    EXPECT_NE(SlotValue(vp8.State(), "qmax"), "69");
    const auto saved = SavedCompressorOptions("WebM VP8 Encoder Filter");
    EXPECT_FALSE(saved.count("qmax"));
    EXPECT_EQ(saved.at("g"), "40");
}

TEST_F(VfwTest, TheDialogShowsWhatARunUsesWithTheSettingsThatMatterFirst) {
    SetOptionDescriptions({{"crf", "Lower is better."}}, "More");
    // The compressor, its top setting, and values shown ("0" is a dash: the run chooses).
    const std::tuple<DWORD, std::string, std::map<std::string, std::string>> cases[] = {
        {ICTYPE_VIDEO, "ffdshow video encoder", {{"global_quality", "4"}, {"b", "0"}}},
        {ICTYPE_VIDEO, "libx264 H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10",
         {{"crf", "21"}, {"preset", "veryfast"}, {"b", "0"}}},
        {ICTYPE_VIDEO, "WebM VP8 Encoder Filter", {{"crf", "10"}, {"b", "0"}, {"deadline", "good"}, {"cpu-used", "5"}}},
        {ICTYPE_AUDIO, "AAC (Advanced Audio Coding)", {{"b", "160"}}},
        {ICTYPE_AUDIO, "Xiph.Org Vorbis Encoder", {{"global_quality", "4"}}}};
    for (const auto& [type, name, shown] : cases) {
        ICINFO info;
        for (DWORD i = 0; ICInfo(type, i, info) && info.szDescription != name; ++i) {}
        const HIC hic = ICOpen(type, info.fccHandler, ICMODE_COMPRESS);
        ASSERT_NE(hic, nullptr) << name;
        automation.framesShown.clear();
        ICConfigure(hic, nullptr);
        ICClose(hic);
        const ui::FramePage& page = automation.framesShown.at(0).second.at(0);
        EXPECT_EQ(page.advancedTitle, "More");
        bool advancedSeen = false;  // the settings that matter first, Advanced after them
        for (const ui::FrameOption& o : page.options) {
            EXPECT_FALSE(advancedSeen && !o.advanced) << name << " " << o.name;
            advancedSeen = advancedSeen || o.advanced;
            const auto value = shown.find(o.name);
            EXPECT_TRUE(value == shown.end() || (o.value == value->second && !o.advanced)) << name << " " << o.name;
            EXPECT_TRUE(o.name != "crf" || o.description == "Lower is better.");
        }
    }
}

}  // namespace
