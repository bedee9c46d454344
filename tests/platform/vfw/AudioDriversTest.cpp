// Drivers of the audio compressors: the settings that matter, with the
// conversion's own starting values, kept only where the person changed them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestEnv.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "platform/vfw/Vfw.h"

namespace {

using namespace vfw;

bool AudioDriver(const std::string& description, ICINFO& found) {
    ICINFO info;
    for (DWORD i = 0; ICInfo(ICTYPE_AUDIO, i, info); ++i)
        if (info.szDescription == description) {
            found = info;
            return true;
        }
    return false;
}

struct OpenedAudio {
    explicit OpenedAudio(const std::string& description) {
        ICINFO info;
        if (AudioDriver(description, info)) hic = ICOpen(info.fccType, info.fccHandler, ICMODE_COMPRESS);
    }
    ~OpenedAudio() {
        if (hic) ICClose(hic);
    }
    HIC hic = nullptr;
};

const ui::FrameOption* FindOption(const std::vector<ui::FramePage>& pages, const std::string& key) {
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == key) return &option;
    return nullptr;
}

class AudioDriversTest : public ::testing::Test {
protected:
    // The options the driver's dialog shows, left unanswered (cancelled).
    std::vector<ui::FramePage> Shown(const std::string& description) {
        OpenedAudio driver(description);
        EXPECT_NE(driver.hic, nullptr) << description;
        if (!driver.hic) return {};
        EXPECT_EQ(ICConfigure(driver.hic, nullptr), ICERR_ABORT);
        return automation.framesShown.empty() ? std::vector<ui::FramePage>{}
                                              : automation.framesShown.back().second;
    }

    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
};

TEST_F(AudioDriversTest, TheDialogShowsTheSettingsThatMatterWithTheRunsStartingValues) {
    ICINFO vorbisInfo, video;
    ASSERT_TRUE(AudioDriver("Xiph.Org Vorbis Encoder", vorbisInfo));
    EXPECT_EQ(vorbisInfo.fccType, ICTYPE_AUDIO);
    EXPECT_FALSE(AudioDriver("ffdshow video encoder", video)) << "video compressors are not audio ones";

    // AAC: the bitrate a run starts from (160 kbit/s), in kbit/s, with its range.
    const auto aac = Shown("AAC (Advanced Audio Coding)");
    const ui::FrameOption* bitrate = FindOption(aac, "b");
    ASSERT_NE(bitrate, nullptr);
    EXPECT_EQ(bitrate->value, "160");
    EXPECT_EQ(bitrate->help, "Bitrate (kbit/s)");
    EXPECT_EQ(bitrate->minimum, 8);
    EXPECT_EQ(bitrate->maximum, 512);
    EXPECT_EQ(FindOption(aac, "global_quality"), nullptr) << "AAC's bitrate decides";

    // Vorbis: quality 0 to 10 where more is better, starting at 4.
    const auto vorbis = Shown("Xiph.Org Vorbis Encoder");
    const ui::FrameOption* quality = FindOption(vorbis, "global_quality");
    ASSERT_NE(quality, nullptr);
    EXPECT_EQ(quality->value, "4");
    EXPECT_EQ(quality->minimum, 0);
    EXPECT_EQ(quality->maximum, 10);
    EXPECT_EQ(quality->help, "Quality (higher is better)");

    // MP3 and Opus are set by their bitrate, in the range each codes at; left
    // alone, the encoder chooses (0).
    struct Expected {
        const char* name;
        double minimum, maximum;
    };
    for (const Expected e : {Expected{"libmp3lame MP3 (MPEG audio layer 3)", 8, 320},
                             Expected{"libopus Opus", 6, 512}}) {
        ICINFO info;
        if (!AudioDriver(e.name, info)) continue;  // not in every FFmpeg build
        const auto pages = Shown(e.name);
        const ui::FrameOption* b = FindOption(pages, "b");
        ASSERT_NE(b, nullptr) << e.name;
        EXPECT_EQ(b->minimum, e.minimum) << e.name;
        EXPECT_EQ(b->maximum, e.maximum) << e.name;
        EXPECT_EQ(b->value, "0") << e.name;
    }

    // Plain PCM has nothing to set: no state, no dialog.
    OpenedAudio pcm("PCM signed 16-bit little-endian");
    ASSERT_NE(pcm.hic, nullptr);
    EXPECT_EQ(ICGetStateSize(pcm.hic), 0);
    const std::size_t shown = automation.framesShown.size();
    EXPECT_EQ(ICConfigure(pcm.hic, nullptr), ICERR_UNSUPPORTED);
    EXPECT_EQ(automation.framesShown.size(), shown);
}

TEST_F(AudioDriversTest, OnlyWhatThePersonChangedIsKeptAndAppliedByDescription) {
    {
        OpenedAudio vorbis("Xiph.Org Vorbis Encoder");
        ASSERT_NE(vorbis.hic, nullptr);
        // Quality 8; the bitrate row is sent back as it was shown.
        automation.frameAnswers = {std::map<std::string, std::string>{{"global_quality", "8"}}};
        EXPECT_EQ(ICConfigure(vorbis.hic, nullptr), ICERR_OK);
    }
    registry::Store store(registry.file());
    const std::string key = DriverStateKey("libvorbis", ICTYPE_AUDIO);
    EXPECT_NE(key, DriverStateKey("libvorbis"));
    ASSERT_TRUE(store.KeyExists(key));
    EXPECT_EQ(store.Get(key, "global_quality")->text, "944");
    EXPECT_FALSE(store.Get(key, "b")) << "unchanged rows are not stored";
    const auto saved = SavedCompressorOptions("xiph.org vorbis encoder", ICTYPE_AUDIO);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved.at("global_quality"), "944");
    EXPECT_TRUE(SavedCompressorOptions("Xiph.Org Vorbis Encoder").empty()) << "not a video driver";

    // Set back to the starting value: nothing of it is kept any more.
    {
        OpenedAudio vorbis("Xiph.Org Vorbis Encoder");
        automation.frameAnswers = {std::map<std::string, std::string>{{"global_quality", "4"}}};
        EXPECT_EQ(ICConfigure(vorbis.hic, nullptr), ICERR_OK);
    }
    EXPECT_FALSE(registry::Store(registry.file()).Get(key, "global_quality"));
    EXPECT_TRUE(SavedCompressorOptions("Xiph.Org Vorbis Encoder", ICTYPE_AUDIO).empty());
}

TEST_F(AudioDriversTest, StoredValuesOutsideTheRangeAreIgnoredAndNamed) {
    registry::Store store(registry.file());
    const std::string key = DriverStateKey("aac", ICTYPE_AUDIO);
    store.Set(key, "b", registry::Value::String("99999999"));
    store.Set(key, "aac_coder", registry::Value::String("fast"));
    const auto saved = SavedCompressorOptions("AAC (Advanced Audio Coding)", ICTYPE_AUDIO);
    EXPECT_FALSE(saved.count("b"));
    EXPECT_EQ(saved.at("aac_coder"), "fast") << "the rest still applies";
    const auto ignored = IgnoredCompressorOptions("AAC (Advanced Audio Coding)", ICTYPE_AUDIO);
    ASSERT_EQ(ignored.size(), 1u);
    EXPECT_EQ(ignored[0].first, "b");
    EXPECT_EQ(ignored[0].second, "99999999");
    // The dialog starts from the run's value instead.
    const auto pages = Shown("AAC (Advanced Audio Coding)");
    ASSERT_NE(FindOption(pages, "b"), nullptr);
    EXPECT_EQ(FindOption(pages, "b")->value, "160");
    EXPECT_TRUE(IgnoredCompressorOptions("Xiph.Org Vorbis Encoder", ICTYPE_AUDIO).empty());
}

}  // namespace
