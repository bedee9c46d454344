// The options dialog's presets: the selector that fills the dialog, the note that
// says what no longer matches, and the Presets button's save, rename, delete,
// export and import.
#include <algorithm>

#include "engine/CompressorCatalog.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "options/OutputOptionsDialog.h"
#include "options/PresetNameDialog.h"
#include "options/PresetStore.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "resources/OptionsDialogTemplate.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace options {

using namespace resources;
using engine::CompressorCategory;
using engine::Preset;

namespace {

vfw::DWORD DriverType(bool video) { return video ? vfw::ICTYPE_VIDEO : vfw::ICTYPE_AUDIO; }

CompressorCategory Category(bool video) {
    return video ? CompressorCategory::Video : CompressorCategory::Audio;
}

bool WritesBitrates(int format) {
    return engine::IsValidFormat(format) &&
           engine::FormatRow(format).choice == engine::StreamChoice::Bitrates;
}

std::string Trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start])) ++start;
    return text.substr(start);
}

// A field's label as it stands in the changed list: without its colon.
std::string FieldName(ui::Dialog& dialog, int labelId) {
    std::string text = Trimmed(dialog.Item(labelId).Text());
    for (const std::string_view colon : {std::string_view(":"), std::string_view("\xEF\xBC\x9A")})
        if (text.size() >= colon.size() &&
            text.compare(text.size() - colon.size(), colon.size(), colon) == 0)
            text.erase(text.size() - colon.size());
    return Trimmed(text);
}

void Say(ui::Dialog* owner, const std::string& text) {
    ui::MessageBox(owner, text, i18n::StringText(IDS_MESSAGE_WARNING),
                   ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

}  // namespace

void OutputOptionsDialog::FillPresetList() {
    ui::Control list = Item(IDC_COMBO_PRESET);
    list.ResetContent();
    list.AddString(i18n::StringText(IDS_PRESET_NONE));
    presets_ = engine::BuiltInPresets();
    for (Preset& stored : StoredPresets()) presets_.push_back(std::move(stored));
    for (const Preset& p : presets_) list.AddString(engine::PresetTitle(p));
    SelectPreset(settings.preset);
}

void OutputOptionsDialog::SelectPreset(const std::string& name) {
    int entry = 0;
    for (std::size_t k = 0; k < presets_.size() && !name.empty(); ++k)
        if (text::EqualNoCase(presets_[k].name, name)) entry = static_cast<int>(k) + 1;
    Item(IDC_COMBO_PRESET).SetCurSel(entry);
    chosen_.reset();
    if (const Preset* p = SelectedPreset()) chosen_ = ExpectedFrom(*p);
    UpdatePresetNote();
}

const Preset* OutputOptionsDialog::SelectedPreset() const {
    const int entry = const_cast<OutputOptionsDialog*>(this)->Item(IDC_COMBO_PRESET).CurSel();
    if (entry < 1 || entry > static_cast<int>(presets_.size())) return nullptr;
    return &presets_[static_cast<std::size_t>(entry - 1)];
}

int OutputOptionsDialog::ShownIndex(bool video, int index) {
    if (index != engine::kKeepStream || EntryOfIndex(video, index) >= 0) return index;
    const engine::OutputFormatRow& family =
        engine::FormatRow(engine::FormatRow(settings.format).family);
    return IndexOfEntry(video,
                        PreferredEntry(video, video ? family.preferredVideo : family.preferredAudio));
}

Preset OutputOptionsDialog::ExpectedFrom(const Preset& preset) {
    engine::OutputSettings s = settings;
    std::vector<engine::MissingCompressor> missing;
    engine::ApplyPreset(preset, s, missing);
    Preset expected = preset;
    expected.video = expected.audio = {};
    if (WritesBitrates(preset.format)) return expected;
    for (const bool video : {true, false}) {
        const bool used = video ? s.useVideoCompressor : s.useAudioCompressor;
        const int index = ShownIndex(video, video ? engine::VideoCompressorSlot(s, s.format)
                                                  : engine::AudioCompressorSlot(s, s.format));
        const engine::CompressorChoice& wanted = video ? preset.video : preset.audio;
        engine::CompressorChoice& shown = video ? expected.video : expected.audio;
        if (!used) continue;
        if (index == engine::kKeepStream) {
            shown.keep = true;
            continue;
        }
        shown.name = engine::CompressorName(Category(video), index);
        // The preset's settings go with its own compressor, not with one used in its place.
        const bool named = engine::FindCompressorByName(Category(video), wanted.name) == index;
        shown.settings =
            vfw::KeptDriverSettings(shown.name, DriverType(video),
                                    named ? wanted.settings : std::map<std::string, std::string>{});
    }
    return expected;
}

Preset OutputOptionsDialog::CurrentAsPreset(const std::string& name) {
    Preset current;
    current.name = name;
    current.format = Item(IDC_COMBO_OUTPUT_FORMAT).CurSel();
    if (engine::IsValidFormat(current.format) && !WritesBitrates(current.format)) {
        for (const bool video : {true, false}) {
            ui::Control list =
                Item(video ? IDC_COMBO_VIDEO_COMPRESSOR : IDC_COMBO_AUDIO_COMPRESSOR);
            const int index = IndexOfEntry(video, list.CurSel());
            engine::CompressorChoice& choice = video ? current.video : current.audio;
            choice.keep = index == engine::kKeepStream;
            if (index < 0) continue;
            choice.name = list.ItemText(list.CurSel());
            choice.settings = vfw::SavedCompressorOptions(choice.name, DriverType(video));
        }
    }
    current.videoBitrate = AtoiLike(Item(IDC_EDIT_VIDEO_BITRATE).Text()) * 1024;
    const int bitrateEntry = Item(IDC_COMBO_AUDIO_BITRATE).CurSel();
    current.audioBitrate = bitrateEntry >= 0 && bitrateEntry < 4 ? kAudioBitrates[bitrateEntry]
                                                                 : settings.audioBitrate;
    current.targetSizeMB = std::max(0, AtoiLike(Item(IDC_EDIT_TARGET_SIZE).Text()));
    current.longerSideAtMost = std::max(0, AtoiLike(Item(IDC_EDIT_LONGER_SIDE).Text()));
    current.allAudioTracks = Item(IDC_COMBO_AUDIO_TRACKS).CurSel() != 1;
    return current;
}

void OutputOptionsDialog::UpdatePresetNote() {
    ui::Control note = Item(IDC_STATIC_PRESET_NOTE);
    const Preset* preset = SelectedPreset();
    if (!preset || !chosen_) {
        note.SetText("");
        return;
    }
    const Preset now = CurrentAsPreset(preset->name);
    const Preset& was = *chosen_;
    std::vector<std::string> changed;
    auto check = [&](bool differs, int labelId) {
        if (differs) changed.push_back(FieldName(*this, labelId));
    };
    check(now.format != was.format, IDC_STATIC_OUTPUT_FORMAT);
    if (now.format == was.format && WritesBitrates(now.format)) {
        check(now.videoBitrate != was.videoBitrate, IDC_STATIC_VIDEO_COMPRESSOR_BITRATE);
        check(now.audioBitrate != was.audioBitrate, IDC_STATIC_AUDIO_COMPRESSOR_BITRATE);
    } else if (now.format == was.format) {
        const bool sameVideo =
            text::EqualNoCase(now.video.name, was.video.name) && now.video.keep == was.video.keep;
        const bool sameAudio =
            text::EqualNoCase(now.audio.name, was.audio.name) && now.audio.keep == was.audio.keep;
        check(!sameVideo, IDC_STATIC_VIDEO_COMPRESSOR);
        check(!sameAudio, IDC_STATIC_AUDIO_COMPRESSOR);
        if ((sameVideo && now.video.settings != was.video.settings) ||
            (sameAudio && now.audio.settings != was.audio.settings))
            changed.push_back(i18n::StringText(IDS_PRESET_FIELD_SETTINGS));
    }
    // WMV writes the default track only, whatever was chosen.
    check(now.format != engine::kWmv && now.allAudioTracks != was.allAudioTracks,
          IDC_STATIC_AUDIO_TRACKS);
    check(now.targetSizeMB != was.targetSizeMB, IDC_STATIC_TARGET_SIZE);
    check(now.longerSideAtMost != was.longerSideAtMost, IDC_STATIC_LONGER_SIDE);
    if (changed.empty()) {
        note.SetText(engine::PresetDescription(*preset));
        return;
    }
    std::string list;
    for (const std::string& field : changed) list += (list.empty() ? "" : ", ") + field;
    note.SetText(i18n::FormatText(IDS_PRESET_CHANGED, list.c_str()));
}

void OutputOptionsDialog::OnPresetChosen() {
    const Preset* preset = SelectedPreset();
    if (!preset) {
        settings.preset.clear();
        chosen_.reset();
        UpdatePresetNote();
        return;
    }
    ApplyPresetToDialog(*preset);
}

void OutputOptionsDialog::SetSizeFields(int targetSizeMB, int longerSideAtMost) {
    Item(IDC_EDIT_TARGET_SIZE).SetText(targetSizeMB > 0 ? std::to_string(targetSizeMB) : "");
    Item(IDC_EDIT_LONGER_SIDE)
        .SetText(longerSideAtMost > 0 ? std::to_string(longerSideAtMost) : "");
}

void OutputOptionsDialog::ApplyPresetToDialog(const Preset& preset) {
    std::vector<engine::MissingCompressor> missing;
    engine::ApplyPreset(preset, settings, missing);
    // Before the layout, which reads the tracks' choice back for the format.
    Item(IDC_COMBO_AUDIO_TRACKS).SetCurSel(settings.allAudioTracks ? 0 : 1);
    Item(IDC_COMBO_OUTPUT_FORMAT).SetCurSel(settings.format);
    ApplyFormatLayout(settings.format);
    FillVideoCompressorList();
    FillAudioCompressorList();
    if (!WritesBitrates(settings.format)) {
        for (const bool video : {true, false}) {
            const int index =
                ShownIndex(video, video ? engine::VideoCompressorSlot(settings, settings.format)
                                        : engine::AudioCompressorSlot(settings, settings.format));
            ui::Control list =
                Item(video ? IDC_COMBO_VIDEO_COMPRESSOR : IDC_COMBO_AUDIO_COMPRESSOR);
            list.SetCurSel(EntryOfIndex(video, index));
            if (index < 0) continue;
            // The compressor's Settings become the preset's, and Cancel puts them back.
            KeepForCancel(video);
            const engine::CompressorChoice& wanted = video ? preset.video : preset.audio;
            const bool named = engine::FindCompressorByName(Category(video), wanted.name) == index;
            vfw::SetDriverSettings(list.ItemText(list.CurSel()), DriverType(video),
                                   named ? wanted.settings : std::map<std::string, std::string>{});
        }
        if (engine::SharesCompressors(settings.format)) {
            restoreVideoIndex = settings.videoCompressorIndex;
            restoreAudioIndex = settings.audioCompressorIndex;
        }
    }
    Item(IDC_EDIT_VIDEO_BITRATE).SetText(std::to_string(settings.videoBitrate / 1024));
    const int* bitrate =
        std::find(std::begin(kAudioBitrates), std::end(kAudioBitrates), settings.audioBitrate);
    Item(IDC_COMBO_AUDIO_BITRATE)
        .SetCurSel(
            bitrate == std::end(kAudioBitrates) ? -1 : static_cast<int>(bitrate - kAudioBitrates));
    SetSizeFields(settings.targetSizeMB, settings.longerSideAtMost);
    for (const engine::MissingCompressor& m : missing)
        Say(this,
            i18n::FormatText(IDS_PRESET_COMPRESSOR_MISSING, m.wanted.c_str(), m.used.c_str()));
    chosen_ = ExpectedFrom(preset);
    UpdateAudioSettingsButton();
    UpdateVideoSettingsButton();
    UpdatePresetNote();
}

std::optional<std::string> OutputOptionsDialog::AskPresetName(const std::string& initial,
                                                              const std::string& current) {
    std::string name = initial;
    for (;;) {
        PresetNameDialog ask(this, name);
        if (ask.RunModal() != ui::IDOK) return std::nullopt;
        name = Trimmed(ask.name);
        switch (CheckPresetName(name, current)) {
            case NameCheck::Usable:
                return name;
            case NameCheck::Invalid:
                Say(this, i18n::StringText(IDS_PRESET_NAME_INVALID));
                break;
            case NameCheck::Taken:
                Say(this, i18n::FormatText(IDS_PRESET_NAME_TAKEN, name.c_str()));
                break;
        }
    }
}

void OutputOptionsDialog::OnPresetsMenu() {
    const auto menu = ui::Menu::FromTemplate(PresetMenuTemplate());
    i18n::LanguagePack::Instance().ApplyToMenu(*menu, IDC_BUTTON_PRESETS);
    ui::Menu& popup = *menu->SubMenu(0);
    const Preset* selected = SelectedPreset();
    const bool own = selected && selected->nameKey == 0;
    popup.EnableItem(IDM_PRESET_RENAME, own);
    popup.EnableItem(IDM_PRESET_DELETE, own);
    popup.EnableItem(IDM_PRESET_EXPORT, selected != nullptr);
    const ui::PixelRect button = Item(IDC_BUTTON_PRESETS).Geometry();
    const int command =
        ui::TrackPopupMenu(popup, ClientToScreen({button.x, button.y + button.height}), this);
    const std::string storeFile = settings::Profile().store().Path().string();
    const std::string ownName = own ? selected->name : std::string();

    if (command == IDM_PRESET_SAVE) {
        // Saving under the chosen preset's own name updates it.
        const auto name = AskPresetName(ownName, ownName);
        if (!name) return;
        if (!StorePreset(CurrentAsPreset(*name)))
            return Say(this, i18n::FormatText(IDS_PRESET_NOT_STORED, storeFile.c_str()));
        settings.preset = *name;
        FillPresetList();
    } else if (command == IDM_PRESET_RENAME && own) {
        const auto name = AskPresetName(ownName, ownName);
        if (!name || *name == ownName) return;
        Preset renamed = *selected;
        renamed.name = *name;
        if (!StorePreset(renamed, ownName))
            return Say(this, i18n::FormatText(IDS_PRESET_NOT_STORED, storeFile.c_str()));
        if (text::EqualNoCase(settings.preset, ownName) || settings.preset.empty())
            settings.preset = *name;
        const Preset was = chosen_.value_or(renamed);
        FillPresetList();
        chosen_ = was;  // the same fields under a new name: what changed stays changed
        UpdatePresetNote();
    } else if (command == IDM_PRESET_DELETE && own) {
        if (ui::MessageBox(this,
                           i18n::FormatText(IDS_PRESET_DELETE_QUESTION,
                                            engine::PresetTitle(*selected).c_str()),
                           i18n::StringText(IDS_MESSAGE_WARNING),
                           ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
            return;
        if (!DeletePreset(ownName))
            return Say(this, i18n::FormatText(IDS_PRESET_NOT_STORED, storeFile.c_str()));
        settings.preset.clear();
        FillPresetList();
    } else if (command == IDM_PRESET_EXPORT && selected) {
        ui::FileChooserRequest request;
        request.owner = this;
        request.title = i18n::StringText(IDS_PRESET_EXPORT_CAPTION);
        request.filters = {{i18n::StringText(IDS_PRESET_FILE_FILTER), "*.reg"}};
        request.initialFile = engine::PresetTitle(*selected) + ".reg";
        request.flags = ui::OFN_OVERWRITEPROMPT;
        request.defaultExtension = "reg";
        auto file = ui::GetSaveFileName(request);
        if (!file) return;
        if (file->find('.', paths::NameStart(*file)) == std::string::npos) *file += ".reg";
        Preset exported = *selected;
        exported.name = engine::PresetTitle(*selected);
        exported.description = engine::PresetDescription(*selected);
        exported.nameKey = exported.descriptionKey = 0;
        if (!ExportPreset(exported, *file))
            Say(this, i18n::FormatText(IDS_PRESET_EXPORT_FAILED, file->c_str()));
    } else if (command == IDM_PRESET_IMPORT) {
        ui::FileChooserRequest request;
        request.owner = this;
        request.title = i18n::StringText(IDS_PRESET_IMPORT_CAPTION);
        request.filters = {{i18n::StringText(IDS_PRESET_FILE_FILTER), "*.reg"}};
        request.flags = ui::OFN_FILEMUSTEXIST | ui::OFN_HIDEREADONLY;
        const auto file = ui::GetOpenFileName(request);
        if (!file) return;
        Preset imported;
        switch (ImportPreset(*file, imported)) {
            case ImportOutcome::Damaged:
                return Say(this, i18n::FormatText(IDS_PRESET_IMPORT_DAMAGED, file->c_str()));
            case ImportOutcome::Newer:
                return Say(this, i18n::FormatText(IDS_PRESET_IMPORT_NEWER, file->c_str()));
            case ImportOutcome::NotStored:
                return Say(this, i18n::FormatText(IDS_PRESET_NOT_STORED, storeFile.c_str()));
            case ImportOutcome::Imported:
                break;
        }
        FillPresetList();
        SelectPreset(imported.name);
        OnPresetChosen();
    }
}

}  // namespace options
