#include "options/OutputOptionsDialog.h"

#include <algorithm>
#include <cstdio>

#include "engine/CompressorCatalog.h"
#include "engine/ConversionGraph.h"
#include "engine/CutTimes.h"
#include "i18n/BrowserLaunchText.h"
#include "i18n/LanguagePack.h"
#include "options/CodecSettings.h"
#include "options/OutputFolderCheck.h"
#include "options/OutputFormat.h"
#include "platform/shell/Shell.h"
#include "platform/ui/MessageBox.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace options {

using namespace resources;
using engine::CompressorCategory;

namespace {

// The row whose preferred compressors start the format's family.
const engine::OutputFormatRow& FamilyRow(int format) {
    return engine::FormatRow(engine::FamilyFormat(format));
}

// The format whose compressors the selectors list: WMV shares AVI's choice.
int ListedFormat(int format) {
    return format == engine::kWmv || !engine::IsValidFormat(format) ? engine::kAvi : format;
}

}  // namespace

OutputOptionsDialog::OutputOptionsDialog(ui::Dialog* owner)
    : ui::Dialog(OptionsDialogTemplate(), owner) {}

void OutputOptionsDialog::FillList(bool video) {
    ui::Control list = Item(video ? IDC_COMBO_VIDEO_COMPRESSOR : IDC_COMBO_AUDIO_COMPRESSOR);
    const CompressorCategory category = video ? CompressorCategory::Video : CompressorCategory::Audio;
    std::vector<int>& indices = video ? videoIndices_ : audioIndices_;
    list.ResetContent();
    indices.clear();
    engine::Reporter& reporter = engine::ConversionGraph::Instance().reporter();
    // The no-compressor row only where the container can hold what it writes.
    if (engine::FormatTakesUncompressed(category, ListedFormat(settings.format))) {
        list.AddString(engine::ListCompressors(category, reporter).front());
        indices.push_back(-1);
    }
    for (const auto& row :
         engine::FormatCompressors(category, ListedFormat(settings.format), reporter)) {
        list.AddString(row.name);
        indices.push_back(row.index);
    }
    // Keeping the source's stream, where this container can hold it as it is (WMV
    // shows AVI's hidden choice, which its writer never uses: it always compresses).
    if (engine::ConversionGraph::Instance().SourceStreamKept(category,
                                                             ListedFormat(settings.format))) {
        list.AddString(i18n::StringText(IDS_KEEP_ORIGINAL_STREAM));
        indices.push_back(engine::kKeepStream);
    }
    list.SetCurSel(0);
}

void OutputOptionsDialog::FillVideoCompressorList() { FillList(true); }

void OutputOptionsDialog::FillAudioCompressorList() { FillList(false); }

int OutputOptionsDialog::EntryOfIndex(bool video, int index) const {
    const std::vector<int>& indices = video ? videoIndices_ : audioIndices_;
    for (std::size_t k = 0; k < indices.size(); ++k)
        if (indices[k] == index) return static_cast<int>(k);
    return -1;
}

int OutputOptionsDialog::IndexOfEntry(bool video, int entry) const {
    const std::vector<int>& indices = video ? videoIndices_ : audioIndices_;
    if (entry < 0 || entry >= static_cast<int>(indices.size())) return UnstoredIndex;
    return indices[static_cast<std::size_t>(entry)];
}

int OutputOptionsDialog::PreferredEntry(bool video, const char* fragment) const {
    const int index = engine::ConversionGraph::Instance().FindPreferredCompressor(
        video ? CompressorCategory::Video : CompressorCategory::Audio, fragment);
    const int entry = index < 0 ? -1 : EntryOfIndex(video, index);
    // Without it, the no-compressor row, or the first the format offers.
    return entry >= 0 ? entry : 0;
}

int OutputOptionsDialog::StoredEntry(bool video, const char* numberKey, const char* fragment) {
    const int stored = settings::Profile().GetInt(
        video ? settings::kVideoSection : settings::kAudioSection, numberKey, UnstoredIndex);
    if (stored == UnstoredIndex) return PreferredEntry(video, fragment);
    const int entry = EntryOfIndex(video, stored);
    // No compressor where the format cannot go without one, or a kept stream it
    // cannot hold: the preferred one.
    if (entry < 0 && (stored == -1 || stored == engine::kKeepStream))
        return PreferredEntry(video, fragment);
    return entry;  // not listed (uninstalled, or not for this format): none
}

bool OutputOptionsDialog::OnInitDialog() {
    opened_ = settings;
    char text[64];
    // The formats, from the one table that names them; the audio bitrates came
    // with the template. Then the values:
    for (const engine::OutputFormatRow& row : engine::OutputFormatTable)
        Item(IDC_COMBO_OUTPUT_FORMAT).AddString(row.selectorText);
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
    const char* numberKey = CompressorNumberKey(settings.format);
    ui::Control video = Item(IDC_COMBO_VIDEO_COMPRESSOR);
    ui::Control audio = Item(IDC_COMBO_AUDIO_COMPRESSOR);
    FillVideoCompressorList();
    video.SetCurSel(StoredEntry(true, numberKey, FamilyRow(settings.format).preferredVideo));
    FillAudioCompressorList();
    audio.SetCurSel(StoredEntry(false, numberKey, FamilyRow(settings.format).preferredAudio));
    if (engine::SharesCompressors(settings.format)) {
        restoreVideoIndex = IndexOfEntry(true, video.CurSel());
        restoreAudioIndex = IndexOfEntry(false, audio.CurSel());
    } else {
        // Opened on WebM or MP4: leaving it shows the shared family's choices in the
        // settings when they were loaded, otherwise the preferred compressors.
        auto& graph = engine::ConversionGraph::Instance();
        restoreVideoIndex = NonWebmIndicesLoaded() ? settings.videoCompressorIndex
                                                   : graph.FindPreferredCompressor(
                                                         CompressorCategory::Video,
                                                         FamilyRow(engine::kAvi).preferredVideo);
        restoreAudioIndex = NonWebmIndicesLoaded() ? settings.audioCompressorIndex
                                                   : graph.FindPreferredCompressor(
                                                         CompressorCategory::Audio,
                                                         FamilyRow(engine::kAvi).preferredAudio);
    }

    for (int id : {IDC_STATIC_RESIZE_MODE, IDC_COMBO_RESIZE_MODE, IDC_STATIC_RESOLUTION,
                   IDC_COMBO_RESOLUTION, IDC_STATIC_FRAME_RATE, IDC_COMBO_FRAME_RATE,
                   IDC_EDIT_FRAME_RATE, IDC_EDIT_WIDTH, IDC_EDIT_HEIGHT,
                   IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_AUDIO_COMPRESSOR,
                   IDC_BUTTON_VIDEO_CODEC_SETTINGS, IDC_BUTTON_AUDIO_CODEC_SETTINGS})
        Item(id).Show(false);

    Item(IDC_EDIT_VIDEO_BITRATE).SetText(std::to_string(settings.videoBitrate / 1024));
    int bitrateEntry = -1;
    for (int i = 0; i < 4; ++i)
        if (settings.audioBitrate == kAudioBitrates[i]) bitrateEntry = i;
    Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(bitrateEntry);
    ui::Control tracks = Item(IDC_COMBO_AUDIO_TRACKS);
    for (int key : {IDS_AUDIO_TRACKS_ALL, IDS_AUDIO_TRACKS_DEFAULT})
        tracks.AddString(i18n::StringText(key));

    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR, IDC_STATIC_AUDIO_COMPRESSOR, IDC_STATIC_OPTIONS_NOTE})
        Item(id).Show(false);

    SetSizeFields(settings.targetSizeMB, settings.longerSideAtMost);

    Item(IDC_COMBO_OUTPUT_FORMAT).SetCurSel(settings.format);
    ApplyFormatLayout(settings.format);
    UpdateAudioSettingsButton();
    UpdateVideoSettingsButton();
    if (settings.cutStart > 0)
        Item(IDC_EDIT_START).SetText(engine::ClockTimeText(settings.cutStart));
    if (settings.cutStop > 0) Item(IDC_EDIT_END).SetText(engine::ClockTimeText(settings.cutStop));

    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_OUTPUT_OPTIONS);
    // Last: the note names fields by their labels in the language.
    FillPresetList();
    return true;
}

void OutputOptionsDialog::ApplyFormatLayout(int format) {
    ui::Control path = Item(IDC_EDIT_OUTPUT_PATH);
    std::string forced;
    if (ForceOutputExtension(format, path.Text(), forced)) path.SetText(forced);

    if (!engine::IsValidFormat(format)) {
        ui::MessageBox(this, "unknown error", "error", ui::MB_OK);
        return;
    }
    const engine::StreamChoice choice = engine::FormatRow(format).choice;
    const bool wmv = choice == engine::StreamChoice::Bitrates;
    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR_BITRATE, IDC_STATIC_AUDIO_COMPRESSOR_BITRATE,
                   IDC_EDIT_VIDEO_BITRATE, IDC_COMBO_AUDIO_BITRATE, IDC_STATIC_VIDEO_KBPS,
                   IDC_STATIC_AUDIO_KBPS})
        Item(id).Show(wmv);
    for (int id : {IDC_STATIC_VIDEO_COMPRESSOR, IDC_STATIC_AUDIO_COMPRESSOR,
                   IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_AUDIO_COMPRESSOR,
                   IDC_BUTTON_VIDEO_CODEC_SETTINGS, IDC_BUTTON_AUDIO_CODEC_SETTINGS,
                   IDC_STATIC_OPTIONS_NOTE})
        Item(id).Show(!wmv);
    // The Windows Media profile carries one sound: the default track, whatever is
    // chosen for the other formats (kept for them while WMV is shown).
    ui::Control tracks = Item(IDC_COMBO_AUDIO_TRACKS);
    if (tracks.IsEnabled() && tracks.CurSel() >= 0) settings.allAudioTracks = tracks.CurSel() == 0;
    tracks.SetCurSel(settings.allAudioTracks && !wmv ? 0 : 1);
    tracks.Enable(!wmv);
    for (int id : {IDC_STATIC_TARGET_SIZE, IDC_EDIT_TARGET_SIZE})
        Item(id).Show(engine::FormatRow(format).sizeTarget);
    Item(IDC_COMBO_VIDEO_COMPRESSOR).Enable(choice != engine::StreamChoice::FixedCompressors);
    Item(IDC_COMBO_AUDIO_COMPRESSOR).Enable(choice != engine::StreamChoice::FixedCompressors);
}

void OutputOptionsDialog::OnFormatChanged() {
    settings.format = Item(IDC_COMBO_OUTPUT_FORMAT).CurSel();
    ApplyFormatLayout(settings.format);
    if (!engine::IsValidFormat(settings.format)) return;
    // Each container holds its own set of compressors.
    FillVideoCompressorList();
    FillAudioCompressorList();
    if (settings.format == engine::kWebm) {
        SelectDefaultCompressors();
    } else if (settings.format == engine::kMp4) {
        // MP4 keeps its own pair: the one last confirmed, else the preferred.
        const char* numberKey = CompressorNumberKey(engine::kMp4);
        Item(IDC_COMBO_VIDEO_COMPRESSOR)
            .SetCurSel(StoredEntry(true, numberKey, FamilyRow(engine::kMp4).preferredVideo));
        Item(IDC_COMBO_AUDIO_COMPRESSOR)
            .SetCurSel(StoredEntry(false, numberKey, FamilyRow(engine::kMp4).preferredAudio));
    } else {
        // A compressor this container cannot hold gives way to the preferred one.
        const engine::OutputFormatRow& row = FamilyRow(engine::kAvi);
        const int v = EntryOfIndex(true, restoreVideoIndex);
        const int a = EntryOfIndex(false, restoreAudioIndex);
        Item(IDC_COMBO_VIDEO_COMPRESSOR)
            .SetCurSel(v >= 0 || restoreVideoIndex == UnstoredIndex ? v : PreferredEntry(true, row.preferredVideo));
        Item(IDC_COMBO_AUDIO_COMPRESSOR)
            .SetCurSel(a >= 0 || restoreAudioIndex == UnstoredIndex ? a : PreferredEntry(false, row.preferredAudio));
    }
    UpdateAudioSettingsButton();
    UpdateVideoSettingsButton();
    UpdatePresetNote();
}

void OutputOptionsDialog::SelectDefaultCompressors() {
    ui::Control video = Item(IDC_COMBO_VIDEO_COMPRESSOR);
    ui::Control audio = Item(IDC_COMBO_AUDIO_COMPRESSOR);
    auto& graph = engine::ConversionGraph::Instance();
    if (settings.format == engine::kWmv) {
        Item(IDC_EDIT_VIDEO_BITRATE).SetText("780");
        Item(IDC_COMBO_AUDIO_BITRATE).SetCurSel(1);  // "128"
    } else if (settings.format == engine::kWebm) {
        bool pageOpened = false;
        auto openPage = [&] {
            if (pageOpened) return;
            pageOpened = true;
            if (shell::ShellOpen(kWebmEncodersPage) <= 32)
                ui::MessageBox(this, i18n::BrowserLaunchFailureText(kWebmEncodersSite),
                               "unknown errors", ui::MB_OK);
        };
        const int v = graph.FindPreferredCompressor(CompressorCategory::Video,
                                                    FamilyRow(engine::kWebm).preferredVideo);
        if (v >= 0) {
            video.SetCurSel(EntryOfIndex(true, v));
        } else {
            ui::MessageBox(this, "Please install webm video encoder", "Error", ui::MB_OK);
            openPage();
            video.SetCurSel(0);
        }
        const int a = graph.FindPreferredCompressor(CompressorCategory::Audio,
                                                    FamilyRow(engine::kWebm).preferredAudio);
        if (a >= 0) {
            audio.SetCurSel(EntryOfIndex(false, a));
        } else {
            ui::MessageBox(this, "Please install webm audio encoder: Vorbis Ogg ", "Error", ui::MB_OK);
            openPage();
            audio.SetCurSel(0);
        }
    } else {
        video.SetCurSel(PreferredEntry(true, FamilyRow(settings.format).preferredVideo));
        audio.SetCurSel(PreferredEntry(false, FamilyRow(settings.format).preferredAudio));
    }
    UpdateAudioSettingsButton();
}

void OutputOptionsDialog::UpdateAudioSettingsButton() {
    // WMV's audio is set by the Windows Media bitrates instead.
    ui::Control audio = Item(IDC_COMBO_AUDIO_COMPRESSOR);
    const bool settable = engine::IsValidFormat(settings.format) && settings.format != engine::kWmv &&
                          IndexOfEntry(false, audio.CurSel()) >= 0 &&
                          AudioCompressorHasSettings(audio.ItemText(audio.CurSel()));
    Item(IDC_BUTTON_AUDIO_CODEC_SETTINGS).Enable(settable);
}

void OutputOptionsDialog::UpdateVideoSettingsButton() {
    // A kept stream is not encoded: nothing to set.
    const int index = IndexOfEntry(true, Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel());
    Item(IDC_BUTTON_VIDEO_CODEC_SETTINGS).Enable(index != engine::kKeepStream);
}

void OutputOptionsDialog::StoreAndClose() {
    // A folder that cannot take the file is said now, while the person is choosing.
    if (!OutputFolderUsable(Item(IDC_EDIT_OUTPUT_PATH).Text())) return;
    // So are a Start and End that do not fit the source.
    std::int64_t start = 0, stop = 0;
    if (const engine::CutCheck check =
            engine::CheckCut(Item(IDC_EDIT_START).Text(), Item(IDC_EDIT_END).Text(), "",
                             sourceDuration, start, stop);
        check != engine::CutCheck::Ok) {
        ui::MessageBox(this, engine::CutCheckText(check, sourceDuration),
                       i18n::StringText(IDS_MESSAGE_ERROR), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    }
    settings.cutStart = start;
    settings.cutStop = stop;
    OptionsControlValues c;
    c.formatIndex = Item(IDC_COMBO_OUTPUT_FORMAT).CurSel();
    c.frameRateIndex = Item(IDC_COMBO_FRAME_RATE).CurSel();
    c.frameRateText = Item(IDC_EDIT_FRAME_RATE).Text();
    c.pathText = Item(IDC_EDIT_OUTPUT_PATH).Text();
    c.widthText = Item(IDC_EDIT_WIDTH).Text();
    c.heightText = Item(IDC_EDIT_HEIGHT).Text();
    // The stored value is the catalogue index, whatever row the format listed it on.
    c.videoSelectorIndex = IndexOfEntry(true, Item(IDC_COMBO_VIDEO_COMPRESSOR).CurSel()) + 1;
    c.audioSelectorIndex = IndexOfEntry(false, Item(IDC_COMBO_AUDIO_COMPRESSOR).CurSel()) + 1;
    c.videoBitrateText = Item(IDC_EDIT_VIDEO_BITRATE).Text();
    c.audioBitrateIndex = Item(IDC_COMBO_AUDIO_BITRATE).CurSel();
    const engine::Preset* preset = SelectedPreset();
    c.preset = preset ? preset->name : std::string();
    c.targetSizeText = Item(IDC_EDIT_TARGET_SIZE).Text();
    c.longerSideText = Item(IDC_EDIT_LONGER_SIDE).Text();
    if (c.formatIndex != engine::kWmv) c.audioTracksIndex = Item(IDC_COMBO_AUDIO_TRACKS).CurSel();
    StoreOutputSettings(settings, c);
    EndDialog(ui::IDOK);
}

void OutputOptionsDialog::OnCommand(int id) {
    switch (id) {
        case IDC_BUTTON_BROWSE:
            BrowseOutputFile(*this, settings.format, IDC_EDIT_OUTPUT_PATH);
            break;
        case IDC_BUTTON_OUTPUT_DEAULT:
            SelectDefaultCompressors();
            // Default means the compressors' own starting settings too.
            for (const bool video : {true, false}) {
                ui::Control list = Item(video ? IDC_COMBO_VIDEO_COMPRESSOR : IDC_COMBO_AUDIO_COMPRESSOR);
                if (IndexOfEntry(video, list.CurSel()) < 0) continue;
                KeepForCancel(video);
                vfw::ResetDriverSettings(list.ItemText(list.CurSel()),
                                         video ? vfw::ICTYPE_VIDEO : vfw::ICTYPE_AUDIO);
            }
            UpdatePresetNote();
            break;
        case IDC_BUTTON_VIDEO_CODEC_SETTINGS:
            KeepForCancel(true);
            OnCodecSettings(*this, IDC_COMBO_VIDEO_COMPRESSOR, IDC_COMBO_CODEC_LIST);
            UpdatePresetNote();
            break;
        case IDC_BUTTON_AUDIO_CODEC_SETTINGS:
            KeepForCancel(false);
            OnAudioCodecSettings(*this, IDC_COMBO_AUDIO_COMPRESSOR);
            UpdatePresetNote();
            break;
        case IDC_BUTTON_PRESETS: OnPresetsMenu(); break;
        case IDC_BUTTON_OPTIONS_OK: StoreAndClose(); break;
        case IDC_BUTTON_OPTIONS_CANCEL: OnCancel(); break;
        default: ui::Dialog::OnCommand(id); break;
    }
}

void OutputOptionsDialog::KeepForCancel(bool video) {
    ui::Control list = Item(video ? IDC_COMBO_VIDEO_COMPRESSOR : IDC_COMBO_AUDIO_COMPRESSOR);
    const std::pair<std::string, vfw::DWORD> driver{list.ItemText(list.CurSel()),
                                                    video ? vfw::ICTYPE_VIDEO : vfw::ICTYPE_AUDIO};
    if (driver.first.empty() || std::find(kept_.begin(), kept_.end(), driver) != kept_.end()) return;
    kept_.push_back(driver);
    before_.push_back(vfw::SaveDriverSettings(driver.first, driver.second));
}

void OutputOptionsDialog::OnCancel() {
    for (const vfw::DriverSettings& saved : before_) vfw::RestoreDriverSettings(saved);
    if (!before_.empty()) {
        // The compressors in use were handed what Settings confirmed: bind them afresh.
        auto& graph = engine::ConversionGraph::Instance();
        if (opened_.useVideoCompressor) graph.GetCompressor(engine::VideoCompressorSlot(opened_, opened_.format));
        if (opened_.useAudioCompressor) graph.GetAudioCompressor(engine::AudioCompressorSlot(opened_, opened_.format));
    }
    EndDialog(ui::IDCANCEL);
}

void OutputOptionsDialog::OnSelectionChange(int id) {
    if (id == IDC_COMBO_OUTPUT_FORMAT) OnFormatChanged();
    else if (id == IDC_COMBO_PRESET) OnPresetChosen();
    else if (id == IDC_COMBO_AUDIO_COMPRESSOR) UpdateAudioSettingsButton();
    else if (id == IDC_COMBO_VIDEO_COMPRESSOR) UpdateVideoSettingsButton();
    if (id == IDC_COMBO_VIDEO_COMPRESSOR || id == IDC_COMBO_AUDIO_COMPRESSOR ||
        id == IDC_COMBO_AUDIO_BITRATE || id == IDC_COMBO_AUDIO_TRACKS)
        UpdatePresetNote();
}

void OutputOptionsDialog::OnEditChange(int id) {
    if (id == IDC_EDIT_TARGET_SIZE || id == IDC_EDIT_LONGER_SIDE || id == IDC_EDIT_VIDEO_BITRATE)
        UpdatePresetNote();
}

}  // namespace options
