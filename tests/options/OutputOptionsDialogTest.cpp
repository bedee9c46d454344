// The output options dialog, driven headless: layout per format, format changes,
// Default, the WebM encoder messages, OK's rounding and round trips, Cancel, Browse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "FakeShell.h"
#include "MediaFaults.h"
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "options/OutputFormat.h"
#include "options/OutputOptionsDialog.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Automation.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace {

// Where the tests' output paths lie: OK makes a missing output folder.
std::string Clips() { return (testenv::ProcessRoot() / "clips").string(); }

using namespace resources;
using engine::CompressorCategory;
using options::OutputOptionsDialog;

const std::string kRoot = "Software\\QuorvelStudio\\quorvel-converter\\";

int Preferred(CompressorCategory category, const char* fragment) {
    int index = -1;
    engine::FindPreferredCompressor(category, fragment, index);
    return index;
}

class OutputOptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetApplicationName("quorvel-converter"); }
    void TearDown() override {
        media::testing::ResetAll();
        engine::ConversionGraph::Instance().ReleaseCompressorSlots();
    }

    static engine::OutputSettings Settings(int format, const std::string& path = Clips() + "/out.avi") {
        engine::OutputSettings s;
        s.format = format;
        s.outputPath = path;
        s.outputWidth = 718;
        s.outputHeight = 404;
        s.videoBitrate = 798720;
        s.audioBitrate = 128000;
        return s;
    }

    // Opens the dialog on `settings`, runs `script` inside it, cancels unless it ended.
    int Run(OutputOptionsDialog& dialog, const engine::OutputSettings& settings,
            const std::function<void(OutputOptionsDialog&)>& script) {
        dialog.settings = settings;
        dialog.sourceWidth = 718;
        dialog.sourceHeight = 404;
        dialog.sourceFrameRate = 29.97;
        automation.onDialogShown = [&](ui::Dialog& shown) {
            if (&shown != &dialog) return;
            script(dialog);
            if (dialog.IsRunning()) dialog.EndDialog(ui::IDCANCEL);
        };
        return dialog.RunModal();
    }

    std::optional<registry::Value> Stored(const std::string& section, const std::string& key) {
        return registry::Store(registry.file()).Get(kRoot + section, key);
    }
    void StoreInt(const std::string& section, const std::string& key, int value) {
        registry::Store(registry.file())
            .Set(kRoot + section, key, registry::Value::Dword(static_cast<std::uint32_t>(value)));
    }

    static void Screenshot(OutputOptionsDialog& d, const std::string& name) {
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            d.SaveScreenshot(std::string(dir) + "/options-" + name + ".png");
    }

    testenv::ScopedRegistry registry;
    ui::ScriptedAutomation automation;
    FakeShell shell;
};

TEST_F(OutputOptionsDialogTest, LayoutFollowsTheFormat) {
    const int ffdshow = Preferred(CompressorCategory::Video, "ffdshow video encoder");
    const int adpcm = Preferred(CompressorCategory::Audio, "microsoft adpcm");
    const int vp8 = Preferred(CompressorCategory::Video, "webm vp8 encoder filter");
    const int vorbis = Preferred(CompressorCategory::Audio, engine::kVorbisFragment);
    ASSERT_TRUE(ffdshow >= 0 && adpcm >= 0 && vp8 >= 0 && vorbis >= 0);
    const std::vector<int> compressorRow = {IDC_STATIC_VIDEO_COMPRESSOR, IDC_COMBO_VIDEO_COMPRESSOR,
                                            IDC_BUTTON_VIDEO_CODEC_SETTINGS, IDC_STATIC_AUDIO_COMPRESSOR,
                                            IDC_COMBO_AUDIO_COMPRESSOR, IDC_STATIC_OPTIONS_NOTE};
    const std::vector<int> bitrateRow = {IDC_STATIC_VIDEO_COMPRESSOR_BITRATE, IDC_EDIT_VIDEO_BITRATE,
                                         IDC_STATIC_VIDEO_KBPS, IDC_STATIC_AUDIO_COMPRESSOR_BITRATE,
                                         IDC_COMBO_AUDIO_BITRATE, IDC_STATIC_AUDIO_KBPS};
    const std::vector<int> never = {IDC_STATIC_RESOLUTION, IDC_COMBO_RESOLUTION, IDC_EDIT_WIDTH,
                                    IDC_EDIT_HEIGHT, IDC_STATIC_FRAME_RATE, IDC_COMBO_FRAME_RATE,
                                    IDC_EDIT_FRAME_RATE, IDC_STATIC_RESIZE_MODE, IDC_COMBO_RESIZE_MODE,
                                    IDC_COMBO_CODEC_LIST, IDC_EDIT_AUDIO_BITRATE};
    const char* names[] = {"avi", "wmv", "mkv", "asf", "webm"};
    for (int format = 0; format < 5; ++format) {
        OutputOptionsDialog dialog(nullptr);
        Run(dialog, Settings(format), [&](OutputOptionsDialog& d) {
            SCOPED_TRACE(names[format]);
            Screenshot(d, names[format]);
            EXPECT_EQ(d.Caption(), "Output options");
            EXPECT_EQ(d.Item(IDC_COMBO_OUTPUT_FORMAT).CurSel(), format);
            EXPECT_EQ(d.Item(IDC_COMBO_OUTPUT_FORMAT).ItemText(4), "WEBM");
            EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/out." + names[format]);
            for (int id : compressorRow) EXPECT_EQ(d.Item(id).IsVisible(), format != 1) << id;
            for (int id : bitrateRow) EXPECT_EQ(d.Item(id).IsVisible(), format == 1) << id;
            for (int id : never) EXPECT_FALSE(d.Item(id).IsVisible()) << id;
            EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).IsEnabled(), format != 4);
            EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).IsEnabled(), format != 4);
            EXPECT_TRUE(d.Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).IsEnabled());
            EXPECT_EQ(d.Item(IDC_EDIT_VIDEO_BITRATE).Text(), "780");
            EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_BITRATE).Text(), "128");
            EXPECT_EQ(d.Item(IDC_EDIT_FRAME_RATE).Text(), "23.976");
            EXPECT_EQ(d.Item(IDC_COMBO_FRAME_RATE).CurSel(), -1);
            // Nothing stored: the preferred compressors of the family, no message.
            const bool webm = format == 4;
            // Each list starts with its format's preferred compressor.
            EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), webm ? vp8 : ffdshow);
            EXPECT_EQ(d.IndexOfEntry(false, d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel()), webm ? vorbis : adpcm);
        });
    }
    EXPECT_TRUE(automation.boxes.empty());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(OutputOptionsDialogTest, FormatChangeRewritesThePathAndRestoresTheOpeningEntries) {
    const int mpeg2 = Preferred(CompressorCategory::Video, "mpeg-2 video");
    StoreInt("DexVideoCompress", "CompressorNumber", mpeg2);
    StoreInt("DexAudioCompress", "CompressorNumber", -1);
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(engine::kMkv, Clips() + "/clip.avi"), [&](OutputOptionsDialog& d) {
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/clip.mkv");
        EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), mpeg2);
        EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel(), 0);
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAsf);
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/clip.asf");
        EXPECT_EQ(d.settings.format, engine::kAsf);
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWebm);
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/clip.webm");
        EXPECT_NE(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), mpeg2);
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAvi);
        EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), mpeg2);
        EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel(), 0);
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/clip.avi");
    });
}

TEST_F(OutputOptionsDialogTest, LeavingWebMInADialogOpenedOnWebMShowsTheOtherFamilysChoices) {
    const int ffdshow = Preferred(CompressorCategory::Video, "ffdshow video encoder");
    const int adpcm = Preferred(CompressorCategory::Audio, "microsoft adpcm");
    const int mpeg2 = Preferred(CompressorCategory::Video, "mpeg-2 video");
    StoreInt("DexVideoCompress", "CompressorNumber", mpeg2);
    StoreInt("DexAudioCompress", "CompressorNumber", -1);
    {
        // Start-up on WebM: the other family was never loaded, so the preferred ones show.
        StoreInt("Settings", "nOuptputFormat", engine::kWebm);
        engine::OutputSettings loaded;
        options::LoadOutputSettings(loaded, {nullptr, 5});
        OutputOptionsDialog dialog(nullptr);
        Run(dialog, loaded, [&](OutputOptionsDialog& d) {
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAvi);
            EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), ffdshow);
            EXPECT_EQ(d.IndexOfEntry(false, d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel()), adpcm);
        });
    }
    // Start-up on AVI, later switched to WebM: leaving WebM shows the loaded choices.
    StoreInt("Settings", "nOuptputFormat", engine::kAvi);
    engine::OutputSettings loaded;
    options::LoadOutputSettings(loaded, {nullptr, 5});
    loaded.format = engine::kWebm;
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, loaded, [&](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMkv);
        EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), mpeg2);
        EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel(), 0);
    });
}

TEST_F(OutputOptionsDialogTest, ChoosingWebMWithoutItsEncodersSaysSoTwiceAndOpensThePageOnce) {
    media::testing::SetUnreadableDeviceName("libvpx");
    media::testing::SetUnreadableDeviceName("libvorbis");
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(engine::kAvi), [](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWebm);
        EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel(), 0);
        EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel(), 0);
    });
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text, "Please install webm video encoder");
    EXPECT_EQ(automation.boxes[0].caption, "Error");
    EXPECT_EQ(automation.boxes[0].ownerId, IDD_OUTPUT_OPTIONS);
    EXPECT_EQ(automation.boxes[1].text, "Please install webm audio encoder: Vorbis Ogg ");
    EXPECT_EQ(shell.opened, std::vector<std::string>{options::kWebmEncodersPage});

    // Default with WebM asks again; a browser that does not start is reported once.
    automation.boxes.clear();
    shell.opened.clear();
    shell.openResult = 2;
    OutputOptionsDialog again(nullptr);
    Run(again, Settings(engine::kWebm),
        [](OutputOptionsDialog& d) { d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click(); });
    ASSERT_EQ(automation.boxes.size(), 3u);
    EXPECT_EQ(automation.boxes[1].caption, "unknown errors");
    EXPECT_EQ(automation.boxes[1].text,
              "The Program does not launch your web browser to access https://www.quorvel.example ,\n"
              "Please launch your web browser and input the URL manually.");
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(OutputOptionsDialogTest, DefaultActsOnTheCurrentFormatOnly) {
    const int ffdshow = Preferred(CompressorCategory::Video, "ffdshow video encoder");
    const int adpcm = Preferred(CompressorCategory::Audio, "microsoft adpcm");
    StoreInt("DexVideoCompress", "CompressorNumber", -1);
    StoreInt("DexAudioCompress", "CompressorNumber", -1);
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(engine::kAvi), [&](OutputOptionsDialog& d) {
        EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel(), 0);
        d.Item(IDC_EDIT_VIDEO_BITRATE).SetText("1500");
        d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click();
        EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), ffdshow);
        EXPECT_EQ(d.IndexOfEntry(false, d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel()), adpcm);
        EXPECT_EQ(d.Item(IDC_EDIT_VIDEO_BITRATE).Text(), "1500");

        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWmv);
        d.Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(2);
        d.Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(3);
        d.Item(IDC_BUTTON_OUTPUT_DEAULT).Click();
        EXPECT_EQ(d.Item(IDC_EDIT_VIDEO_BITRATE).Text(), "780");
        EXPECT_EQ(d.Item(IDC_COMBO_AUDIO_BITRATE).Text(), "128");
        EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel(), 2);
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/out.wmv");
    });
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OutputOptionsDialogTest, OkStoresRoundedSizesBitratesAndChoices) {
    struct Case {
        std::string width, height;
        int audioBitrate;
        int expectWidth, expectHeight;
    };
    for (const Case& c : {Case{"719", "404", 64000, 712, 400}, Case{"7", "x", 192000, 16, 16},
                          Case{"718", "-5", 320000, 712, 16}, Case{"640", "480", 96000, 640, 480}}) {
        OutputOptionsDialog dialog(nullptr);
        engine::OutputSettings s = Settings(engine::kAvi);
        s.audioBitrate = c.audioBitrate;
        int chosenAudio = -3;
        const int result = Run(dialog, s, [&](OutputOptionsDialog& d) {
            chosenAudio = d.IndexOfEntry(false, 3);
            d.Item(IDC_EDIT_WIDTH).SetText(c.width);
            d.Item(IDC_EDIT_HEIGHT).SetText(c.height);
            d.Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(0);
            d.Item(IDC_COMBO_AUDIO_COMPRESSOR).SetCurSel(3);
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
        });
        SCOPED_TRACE(c.width);
        EXPECT_EQ(result, ui::IDOK);
        EXPECT_EQ(dialog.settings.outputWidth, c.expectWidth);
        EXPECT_EQ(dialog.settings.outputHeight, c.expectHeight);
        EXPECT_EQ(dialog.settings.audioBitrate, c.audioBitrate) << "listed or kept";
        EXPECT_EQ(dialog.settings.videoBitrate, 798720);
        EXPECT_EQ(dialog.settings.useVideoCompressor, 0);
        EXPECT_EQ(dialog.settings.audioCompressorIndex, chosenAudio);
        EXPECT_EQ(Stored("Settings", "OutputWidth")->dword, static_cast<std::uint32_t>(c.expectWidth));
        EXPECT_EQ(Stored("Settings", "n_audio_bitrate")->dword, static_cast<std::uint32_t>(c.audioBitrate));
        EXPECT_EQ(Stored("Settings", "OutputFrameRateIndex")->dword, 0xFFFFFFFFu);
        EXPECT_EQ(Stored("Settings", "OutputFrameRate")->text, "23.976");
        EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber")->dword, 0xFFFFFFFFu);
        EXPECT_EQ(Stored("DexAudioCompress", "CompressorNumber")->dword,
                  static_cast<std::uint32_t>(chosenAudio));
    }
    // The audio bitrate entries map to their values, and Enter is OK.
    const int values[] = {64000, 128000, 192000, 320000};
    for (int entry = 0; entry < 4; ++entry) {
        OutputOptionsDialog dialog(nullptr);
        Run(dialog, Settings(engine::kWmv), [&](OutputOptionsDialog& d) {
            d.Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(entry);
            d.Item(IDC_EDIT_VIDEO_BITRATE).SetText("400");
            d.PressKey("Return");
        });
        EXPECT_EQ(dialog.settings.audioBitrate, values[entry]);
        EXPECT_EQ(dialog.settings.videoBitrate, 400 * 1024);
        EXPECT_EQ(dialog.settings.format, engine::kWmv);
    }
}

TEST_F(OutputOptionsDialogTest, Mp4HasItsOwnChoicesWithSettingsAndKeepsTheSharedOnesApart) {
    const int x264 = Preferred(CompressorCategory::Video, "libx264 h.264");
    const int aac = Preferred(CompressorCategory::Audio, "aac (advanced audio coding)");
    const int mpeg2 = Preferred(CompressorCategory::Video, "mpeg-2 video");
    ASSERT_TRUE(x264 >= 0 && aac >= 0 && mpeg2 >= 0);
    StoreInt("DexVideoCompress", "CompressorNumber", mpeg2);
    int chosen = -3;
    OutputOptionsDialog dialog(nullptr);
    const int result =
        Run(dialog, Settings(engine::kMkv, Clips() + "/clip.avi"), [&](OutputOptionsDialog& d) {
            EXPECT_EQ(d.Item(IDC_COMBO_OUTPUT_FORMAT).ItemText(5), "MP4");
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMp4);
            Screenshot(d, "mp4");
            EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/clip.mp4");
            // MKV's layout: both choices and Settings, no bitrate row.
            for (int id : {IDC_STATIC_VIDEO_COMPRESSOR, IDC_COMBO_VIDEO_COMPRESSOR,
                           IDC_BUTTON_VIDEO_CODEC_SETTINGS, IDC_STATIC_AUDIO_COMPRESSOR,
                           IDC_COMBO_AUDIO_COMPRESSOR}) {
                EXPECT_TRUE(d.Item(id).IsVisible()) << id;
                EXPECT_TRUE(d.Item(id).IsEnabled()) << id;
            }
            for (int id : {IDC_EDIT_VIDEO_BITRATE, IDC_COMBO_AUDIO_BITRATE})
                EXPECT_FALSE(d.Item(id).IsVisible()) << id;
            EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel(), 0);
            EXPECT_EQ(d.IndexOfEntry(true, 0), x264);
            EXPECT_EQ(d.IndexOfEntry(false, d.Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel()), aac);
            // MPEG-2 is no MP4 choice here, and leaving MP4 brings the shared one back.
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kAvi);
            EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), mpeg2);
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMp4);
            EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), x264);
            d.Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(2);
            chosen = d.IndexOfEntry(true, 2);
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
        });
    EXPECT_EQ(result, ui::IDOK);
    EXPECT_EQ(dialog.settings.format, engine::kMp4);
    EXPECT_EQ(dialog.settings.mp4VideoCompressorIndex, chosen);
    EXPECT_EQ(Stored("DexVideoCompress", "Mp4CompressorNumber")->dword,
              static_cast<std::uint32_t>(chosen));
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber")->dword,
              static_cast<std::uint32_t>(mpeg2));
    // Opened again on MP4, the dialog shows that choice.
    OutputOptionsDialog again(nullptr);
    Run(again, Settings(engine::kMp4, Clips() + "/clip.mp4"), [&](OutputOptionsDialog& d) {
        EXPECT_EQ(d.IndexOfEntry(true, d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()), chosen);
    });
    EXPECT_TRUE(automation.boxes.empty());
}

TEST_F(OutputOptionsDialogTest, WebMOkKeepsTheOtherFamilysKeysAndAStoredIndexBeyondTheListIsDropped) {
    StoreInt("DexVideoCompress", "CompressorNumber", 100000);
    OutputOptionsDialog beyond(nullptr);
    Run(beyond, Settings(engine::kAvi), [](OutputOptionsDialog& d) {
        EXPECT_EQ(d.Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel(), -1);
        d.Item(IDC_BUTTON_OPTIONS_OK).Click();
    });
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber")->dword, static_cast<std::uint32_t>(-2));

    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(engine::kAvi), [](OutputOptionsDialog& d) {
        d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kWebm);
        d.Item(IDC_BUTTON_OPTIONS_OK).Click();
    });
    EXPECT_EQ(dialog.settings.format, engine::kWebm);
    EXPECT_EQ(dialog.settings.webmVideoCompressorIndex,
              Preferred(CompressorCategory::Video, "webm vp8 encoder filter"));
    EXPECT_EQ(dialog.settings.outputPath, Clips() + "/out.webm");
    EXPECT_EQ(Stored("DexVideoCompress", "CompressorNumber")->dword, static_cast<std::uint32_t>(-2));
    EXPECT_FALSE(Stored("DexVideoCompress", "WebmCompressorNumber"));
    EXPECT_EQ(Stored("Settings", "nOuptputFormat")->dword, 4u);
}

TEST_F(OutputOptionsDialogTest, CancelEscapeAndCloseChangeNothing) {
    for (int way = 0; way < 3; ++way) {
        OutputOptionsDialog dialog(nullptr);
        const engine::OutputSettings s = Settings(engine::kAvi);
        const int result = Run(dialog, s, [&](OutputOptionsDialog& d) {
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(engine::kMkv);
            d.Item(IDC_EDIT_WIDTH).SetText("100");
            if (way == 0) d.Item(IDC_BUTTON_OPTIONS_CANCEL).Click();
            if (way == 1) d.PressKey("Escape");
            if (way == 2) d.RequestClose();
            EXPECT_FALSE(d.IsRunning());
        });
        EXPECT_EQ(result, ui::IDCANCEL);
        EXPECT_FALSE(registry::Store(registry.file()).KeyExists(kRoot + "Settings"));
    }
}

TEST_F(OutputOptionsDialogTest, BrowseSuggestsTheNameInThePathField) {
    automation.fileAnswers = {std::string("/elsewhere/picked"), std::nullopt};
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(engine::kWebm, Clips() + "/out.webm"), [](OutputOptionsDialog& d) {
        d.Item(IDC_BUTTON_BROWSE).Click();
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), "/elsewhere/picked.webm");
        d.Item(IDC_BUTTON_BROWSE).Click();  // cancelled
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), "/elsewhere/picked.webm");
    });
    ASSERT_EQ(automation.choosers.size(), 2u);
    const std::pair<std::string, const char*> suggested[] = {{Clips(), "out.webm"},
                                                             {"/elsewhere", "picked.webm"}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& chooser = automation.choosers[i];
        EXPECT_TRUE(chooser.save);
        EXPECT_EQ(chooser.ownerId, IDD_OUTPUT_OPTIONS);
        EXPECT_EQ(chooser.request.initialDir, suggested[i].first);
        EXPECT_EQ(chooser.request.initialFile, suggested[i].second);
        ASSERT_EQ(chooser.request.filters.size(), 1u);
        EXPECT_EQ(chooser.request.filters[0].first, "Advanced Systems Format file(*.webm)");
    }
}

TEST_F(OutputOptionsDialogTest, DamagedFormatIsReportedAtOpening) {
    OutputOptionsDialog dialog(nullptr);
    Run(dialog, Settings(7, Clips() + "/out.avi"), [](OutputOptionsDialog& d) {
        EXPECT_EQ(d.Item(IDC_COMBO_OUTPUT_FORMAT).CurSel(), -1);
        EXPECT_EQ(d.Item(IDC_EDIT_OUTPUT_PATH).Text(), Clips() + "/out.avi");
    });
    ASSERT_EQ(automation.boxes.size(), 2u);
    EXPECT_EQ(automation.boxes[0].text, "Does not support the video format");
    EXPECT_EQ(automation.boxes[1].text, "unknown error");
    EXPECT_EQ(automation.boxes[1].caption, "error");
    EXPECT_EQ(automation.boxes[1].ownerId, IDD_OUTPUT_OPTIONS);
}

}  // namespace

namespace {

TEST_F(OutputOptionsDialogTest, EachFormatOffersOnlyWhatItsContainerCanHold) {
    // Whether "Full frames (uncompressed)" and "Uncompressed Audio" are offered.
    for (const auto& [format, raw] : {std::pair{engine::kAvi, 1}, {engine::kMkv, 1}, {engine::kAsf, 1},
                                      {engine::kWebm, 0}, {engine::kMp4, 0}}) {
        OutputOptionsDialog dialog(nullptr);
        Run(dialog, Settings(format), [&](OutputOptionsDialog& d) {
            for (const int id : {IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_AUDIO_COMPRESSOR}) {
                ui::Control list = d.Item(id);
                int none = 0;
                for (int i = 0; i < list.Count(); ++i)
                    none += list.ItemText(i) == "Full frames (uncompressed)" || list.ItemText(i) == "Uncompressed Audio";
                EXPECT_EQ(none, raw) << format;
                EXPECT_GE(list.CurSel(), 0) << format;  // something a run can write is chosen
            }
        });
    }
}

TEST_F(OutputOptionsDialogTest, KeepingIsOfferedWhereTheSourceFitsAndStartAndEndAreCheckedOnOk) {
    if (!fixtures::HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg tools missing";
    engine::ConversionGraph& graph = engine::ConversionGraph::Instance();
    ASSERT_TRUE(SUCCEEDED(graph.OpenSourceGraph(fixtures::H264AacMp4().string())));
    const std::string keep = "Keep the original stream (no re-encoding)";
    // H.264/AAC: both kept in MKV and MP4; AVI takes the AAC only, WebM neither.
    for (const auto& [format, video, audio] :
         {std::tuple{engine::kMkv, 1, 1}, {engine::kMp4, 1, 1}, {engine::kAvi, 0, 1},
          {engine::kWebm, 0, 0}}) {
        OutputOptionsDialog dialog(nullptr);
        Run(dialog, Settings(format), [&](OutputOptionsDialog& d) {
            for (const auto& [id, offered] : {std::pair{IDC_COMBO_VIDEO_COMPRESSOR, video},
                                              {IDC_COMBO_AUDIO_COMPRESSOR, audio}}) {
                ui::Control list = d.Item(id);
                int found = -1;
                for (int i = 0; i < list.Count(); ++i)
                    if (list.ItemText(i) == keep) found = i;
                EXPECT_EQ(found >= 0, offered == 1) << format << " " << id;
                if (found < 0) continue;
                list.Choose(found);
                // Nothing to set for a stream that is not encoded.
                EXPECT_FALSE(d.Item(id == IDC_COMBO_VIDEO_COMPRESSOR ? IDC_BUTTON_VIDEO_CODEC_SETTINGS
                                                                     : IDC_BUTTON_AUDIO_CODEC_SETTINGS)
                                 .IsEnabled());
            }
            if (format == engine::kMp4) Screenshot(d, "keep");
        });
    }
    // Start and End: refused with a sentence until they fit the two-second source.
    OutputOptionsDialog dialog(nullptr);
    engine::OutputSettings settings = Settings(engine::kMkv, Clips() + "/out.mkv");
    dialog.sourceDuration = 20000000;
    const int result = Run(dialog, settings, [&](OutputOptionsDialog& d) {
        for (const auto& [start, end, said] :
             {std::tuple{"0:00:01.500", "0:00:01", "End must come after Start."},
              {"1:5x", "", "h:mm:ss.fff"}, {"0:00:01", "0:00:03", "within the source"}}) {
            d.Item(IDC_EDIT_START).SetText(start);
            d.Item(IDC_EDIT_END).SetText(end);
            d.Item(IDC_BUTTON_OPTIONS_OK).Click();
            ASSERT_TRUE(d.IsRunning());
            ASSERT_FALSE(automation.boxes.empty());
            EXPECT_NE(automation.boxes.back().text.find(said), std::string::npos)
                << automation.boxes.back().text;
        }
        d.Item(IDC_EDIT_START).SetText("0:00:00.500");
        d.Item(IDC_EDIT_END).SetText("1.25");
        d.Item(IDC_BUTTON_OPTIONS_OK).Click();
    });
    EXPECT_EQ(result, ui::IDOK);
    EXPECT_EQ(dialog.settings.cutStart, 5000000);
    EXPECT_EQ(dialog.settings.cutStop, 12500000);
    graph.ReleaseMediaControl();
    graph.ReleaseGraph();
}

}  // namespace

TEST_F(OutputOptionsDialogTest, AudioTracksChoiceIsStoredAndWmvShowsTheDefaultTrackOnly) {
    struct Case {
        int format;
        int chosen;  // entry picked before the format: 0 All, 1 Default only
        int shown;
        bool enabled;
        std::uint32_t stored;  // WMV leaves the choice for the other formats as it was
    };
    for (const Case& c : {Case{engine::kMkv, 1, 1, true, 1}, Case{engine::kWmv, 0, 1, false, 1},
                          Case{engine::kMp4, 0, 0, true, 0}}) {
        OutputOptionsDialog dialog(nullptr);
        const int result = Run(dialog, Settings(engine::kAvi), [&](OutputOptionsDialog& d) {
            ui::Control tracks = d.Item(IDC_COMBO_AUDIO_TRACKS);
            EXPECT_EQ(tracks.ItemText(0), "All");
            EXPECT_EQ(tracks.ItemText(1), "Default only");
            tracks.Choose(c.chosen);
            d.Item(IDC_COMBO_OUTPUT_FORMAT).Choose(c.format);
            EXPECT_EQ(tracks.CurSel(), c.shown) << c.format;
            EXPECT_EQ(tracks.IsEnabled(), c.enabled) << c.format;
            d.PressKey("Return");
        });
        EXPECT_EQ(result, ui::IDOK);
        ASSERT_TRUE(Stored("Settings", "AudioTracks")) << c.format;
        EXPECT_EQ(Stored("Settings", "AudioTracks")->dword, c.stored) << c.format;
    }
}
