#include "options/OutputOptionsDialog.h"

#include <cstdio>

#include "app/HelpAndAbout.h"
#include "app/Profile.h"
#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "i18n/LanguagePack.h"
#include "options/CodecSettings.h"
#include "options/OutputFormat.h"
#include "platform/shell/Shell.h"
#include "platform/ui/MessageBox.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"

namespace options {

using namespace resources;
using engine::CompressorCategory;

namespace {

constexpr int kAudioBitrates[] = {64000, 128000, 192000, 320000};
constexpr const char* kVideoSection = "DexVideoCompress";
constexpr const char* kAudioSection = "DexAudioCompress";

const OutputFormatRow& FamilyRow(bool webm) { return OutputFormatTable[webm ? kWebm : kAvi]; }

void FillList(ui::Control list, CompressorCategory category) {
    list.ResetContent();
    for (const std::string& row : engine::ListCompressors(category)) list.AddString(row);
    list.SetCurSel(0);
}

int PreferredEntry(CompressorCategory category, const char* fragment) {
    const int index = engine::ConversionGraph::Instance().FindPreferredCompressor(category, fragment);
    return index < 0 ? 0 : index + 1;
}

}  // namespace

OutputOptionsDialog::OutputOptionsDialog(ui::Dialog* owner)
    : ui::Dialog(OptionsDialogTemplate(), owner) {}

void OutputOptionsDialog::FillVideoCompressorList() {
    FillList(Item(IDC_COMBO_VIDEO_COMPRESSOR), CompressorCategory::Video);
}

void OutputOptionsDialog::FillAudioCompressorList() {
    FillList(Item(IDC_COMBO_AUDIO_COMPRESSOR), CompressorCategory::Audio);
}

int OutputOptionsDialog::StoredEntry(bool video, const char* numberKey, const char* fragment,
                                     int count) {
    const int stored = app::Profile().GetInt(video ? kVideoSection : kAudioSection, numberKey,
                                             UnstoredIndex);
    if (stored == UnstoredIndex)
        return PreferredEntry(video ? CompressorCategory::Video : CompressorCategory::Audio, fragment);
    const long long entry = static_cast<long long>(stored) + 1;
    return entry >= 0 && entry < count ? static_cast<int>(entry) : -1;  // beyond: no selection
}

bool OutputOptionsDialog::OnInitDialog() {
    char text[64];
    // The template's entries came with the window; the values:
    Item(IDC_EDIT_OUTPUT_PATH).SetText(settings.outputPath);
    Item(IDC_EDIT_WIDTH).SetText(std::to_string(settings.outputWidth));
    Item(IDC_EDIT_HEIGHT).SetText(std::to_string(settings.outputHeight));
    Item(IDC_EDIT_FRAME_RATE).SetText(FormatFrameRate(settings.frameRate));

    // The hidden selectors describe the source; the frame-rate one stays unselected.
    std::snprintf(text, sizeof text, "%d*%d", sourceWidth, sourceHeight);
    Item(IDC_COMBO_RESOLUTION).AddString(text);
    Item(IDC_COMBO_RESOLUTION).SetCurSel(0);
    Item(IDC_COMBO_FRAME_RATE).AddString(FormatFrameRate(sourceFrameRate));
    Item(IDC_COMBO_FRAME_RATE).SetCurSel(-1);

    // The compressor selectors, preselected from the stored choices of the format's family.
    const bool webm = settings.format == kWebm;
    const char* numberKey = webm ? "WebmCompressorNumber" : "CompressorNumber";
    ui::Control video = Item(IDC_COMBO_VIDEO_COMPRESSOR);
    ui::Control audio = Item(IDC_COMBO_AUDIO_COMPRESSOR);
    FillVideoCompressorList();
    video.SetCurSel(StoredEntry(true, numberKey, FamilyRow(webm).preferredVideo, video.Count()));
    FillAudioCompressorList();
    audio.SetCurSel(StoredEntry(false, numberKey, FamilyRow(webm).preferredAudio, audio.Count()));
    if (!webm) {
        restoreVideoEntry = video.CurSel();
        restoreAudioEntry = audio.CurSel();
    } else {
        // Opened on WebM: leaving it shows the other family's choices in the
        // settings when they were loaded, otherwise the preferred compressors.
        auto entryOf = [](int index, int count) {
            return index + 1 >= 0 && index + 1 < count ? index + 1 : -1;
        };
        restoreVideoEntry =
            NonWebmIndicesLoaded()
                ? entryOf(settings.videoCompressorIndex, video.Count())
                : PreferredEntry(CompressorCategory::Video, FamilyRow(false).preferredVideo);
        restoreAudioEntry =
            NonWebmIndicesLoaded()
                ? entryOf(settings.audioCompressorIndex, audio.Count())
                : PreferredEntry(CompressorCategory::Audio, FamilyRow(false).preferredAudio);
    }

    for (int id : {IDC_STATIC_RESIZE_MODE, IDC_COMBO_RESIZE_MODE, IDC_STATIC_RESOLUTION,
                   IDC_COMBO_RESOLUTION, IDC_STATIC_FRAME_RATE, IDC_COMBO_FRAME_RATE,
                   IDC_EDIT_FRAME_RATE, IDC_EDIT_WIDTH, IDC_EDIT_HEIGHT,
                   IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_AUDIO_COMPRESSOR,
                   IDC_BUTTON_VIDEO_CODEC_SETTINGS})
        Item(id).Show(false);

    Item(IDC_EDIT_VIDEO_BITRATE).SetText(std::to_string(settings.videoBitrate / 1024));
    int bitrateEntry = -1;
    for (int i = 0; i < 4; ++i)
        if (settings.audioBitrate == kAudioBitrates[i]) bitrateEntry = i;
    Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(bitrateEntry);

    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR, IDC_STATIC_AUDIO_COMPRESSOR, IDC_STATIC_OPTIONS_NOTE})
        Item(id).Show(false);

    Item(IDC_COMBO_OUTPUT_FORMAT).SetCurSel(settings.format);
    ApplyFormatLayout(settings.format);

    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_OUTPUT_OPTIONS);
    return true;
}

void OutputOptionsDialog::ApplyFormatLayout(int format) {
    ui::Control path = Item(IDC_EDIT_OUTPUT_PATH);
    std::string forced;
    if (ForceOutputExtension(format, path.Text(), forced)) path.SetText(forced);

    if (!IsValidFormat(format)) {
        ui::MessageBox(this, "unknown error", "error", ui::MB_OK);
        return;
    }
    const bool wmv = format == kWmv;
    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR_BITRATE, IDC_STATIC_AUDIO_COMPRESSOR_BITRATE,
                   IDC_EDIT_VIDEO_BITRATE, IDC_COMBO_AUDIO_BITRATE, IDC_STATIC_VIDEO_KBPS,
                   IDC_STATIC_AUDIO_KBPS})
        Item(id).Show(wmv);
    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR, IDC_STATIC_AUDIO_COMPRESSOR,
                   IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_AUDIO_COMPRESSOR,
                   IDC_BUTTON_VIDEO_CODEC_SETTINGS, IDC_STATIC_OPTIONS_NOTE})
        Item(id).Show(!wmv);
    Item(IDC_COMBO_VIDEO_COMPRESSOR).Enable(format != kWebm);
    Item(IDC_COMBO_AUDIO_COMPRESSOR).Enable(format != kWebm);
}

void OutputOptionsDialog::OnFormatChanged() {
    settings.format = Item(IDC_COMBO_OUTPUT_FORMAT).CurSel();
    ApplyFormatLayout(settings.format);
    if (settings.format == kWebm) {
        SelectDefaultCompressors();
    } else {
        Item(IDC_COMBO_VIDEO_COMPRESSOR).SetCurSel(restoreVideoEntry);
        Item(IDC_COMBO_AUDIO_COMPRESSOR).SetCurSel(restoreAudioEntry);
    }
}

void OutputOptionsDialog::SelectDefaultCompressors() {
    ui::Control video = Item(IDC_COMBO_VIDEO_COMPRESSOR);
    ui::Control audio = Item(IDC_COMBO_AUDIO_COMPRESSOR);
    auto& graph = engine::ConversionGraph::Instance();
    if (settings.format == kWmv) {
        Item(IDC_EDIT_VIDEO_BITRATE).SetText("780");
        Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(1);  // "128"
    } else if (settings.format == kWebm) {
        bool pageOpened = false;
        auto openPage = [&] {
            if (pageOpened) return;
            pageOpened = true;
            if (shell::ShellOpen(kWebmEncodersPage) <= 32)
                ui::MessageBox(this, app::BrowserLaunchFailureText(kWebmEncodersSite),
                               "unknown errors", ui::MB_OK);
        };
        const int v = graph.FindPreferredCompressor(CompressorCategory::Video,
                                                    FamilyRow(true).preferredVideo);
        if (v >= 0) {
            video.SetCurSel(v + 1);
        } else {
            ui::MessageBox(this, "Please install webm video encoder", "Error", ui::MB_OK);
            openPage();
            video.SetCurSel(0);
        }
        const int a = graph.FindPreferredCompressor(CompressorCategory::Audio,
                                                    FamilyRow(true).preferredAudio);
        if (a >= 0) {
            audio.SetCurSel(a + 1);
        } else {
            ui::MessageBox(this, "Please install webm audio encoder: Vorbis Ogg ", "Error", ui::MB_OK);
            openPage();
            audio.SetCurSel(0);
        }
    } else {
        video.SetCurSel(PreferredEntry(CompressorCategory::Video, FamilyRow(false).preferredVideo));
        audio.SetCurSel(PreferredEntry(CompressorCategory::Audio, FamilyRow(false).preferredAudio));
    }
}

void OutputOptionsDialog::StoreAndClose() {
    OptionsControlValues c;
    c.formatIndex = Item(IDC_COMBO_OUTPUT_FORMAT).CurSel();
    c.frameRateIndex = Item(IDC_COMBO_FRAME_RATE).CurSel();
    c.frameRateText = Item(IDC_EDIT_FRAME_RATE).Text();
    c.pathText = Item(IDC_EDIT_OUTPUT_PATH).Text();
    c.widthText = Item(IDC_EDIT_WIDTH).Text();
    c.heightText = Item(IDC_EDIT_HEIGHT).Text();
    c.videoSelectorIndex = Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel();
    c.audioSelectorIndex = Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel();
    c.videoBitrateText = Item(IDC_EDIT_VIDEO_BITRATE).Text();
    c.audioBitrateIndex = Item(IDC_COMBO_AUDIO_BITRATE).CurSel();
    StoreOutputSettings(settings, c);
    EndDialog(ui::IDOK);
}

void OutputOptionsDialog::OnCommand(int id) {
    switch (id) {
        case IDC_BUTTON_BROWSE:
            // The copy's path is the one the dialog opened with; only OK changes it.
            BrowseOutputFile(*this, settings.format, settings.outputPath, IDC_EDIT_OUTPUT_PATH);
            break;
        case IDC_BUTTON_OUTPUT_DEAULT: SelectDefaultCompressors(); break;
        case IDC_BUTTON_VIDEO_CODEC_SETTINGS:
            OnCodecSettings(*this, IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_CODEC_LIST);
            break;
        case IDC_BUTTON_OPTIONS_OK: StoreAndClose(); break;
        case IDC_BUTTON_OPTIONS_CANCEL: EndDialog(ui::IDCANCEL); break;
        default: ui::Dialog::OnCommand(id); break;
    }
}

void OutputOptionsDialog::OnSelectionChange(int id) {
    if (id == IDC_COMBO_OUTPUT_FORMAT) OnFormatChanged();
}

}  // namespace options
