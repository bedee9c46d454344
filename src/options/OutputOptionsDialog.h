#pragma once
// The output options dialog: format, path, compressors or Windows Media bitrates,
// on a copy of the settings that OK stores and hands back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Preset.h"
#include "options/OutputSettings.h"
#include "platform/ui/Dialog.h"
#include "platform/vfw/Vfw.h"

namespace options {

// Where the WebM encoders can be had, and the site named when no browser starts.
inline constexpr const char* kWebmEncodersPage = "https://www.quorvel.example/converter/get-webm-codecs";
inline constexpr const char* kWebmEncodersSite = "https://www.quorvel.example";

class OutputOptionsDialog : public ui::Dialog {
public:
    explicit OutputOptionsDialog(ui::Dialog* owner);

    engine::OutputSettings settings;  // the dialog's copy
    // Facts of the source, for reading only.
    int sourceWidth = 0;
    int sourceHeight = 0;
    double sourceFrameRate = 0;
    std::int64_t sourceDuration = 0;  // 100 ns; 0 when unknown
    bool sourceOpened = false;

    // The compressors (catalogue indices) to return to when the user leaves WebM;
    // -2 for none.
    int restoreVideoIndex = -2;
    int restoreAudioIndex = -2;

    // Fill the selectors with the compressors the current format's container holds.
    void FillVideoCompressorList();
    void FillAudioCompressorList();
    // Selector entry of a catalogue index (-1: the no-compressor row; gives -1 when
    // not listed), and the catalogue index of an entry (-1 for the no-compressor
    // row, -2 for no entry).
    int EntryOfIndex(bool video, int index) const;
    int IndexOfEntry(bool video, int entry) const;
    void ApplyFormatLayout(int format);
    void OnFormatChanged();
    void SelectDefaultCompressors();
    // The audio Settings button is usable only for a compressor with settings;
    // neither is for a kept stream.
    void UpdateAudioSettingsButton();
    void UpdateVideoSettingsButton();
    // OK: the controls' values stored, the dialog ended with OK.
    void StoreAndClose();

    // ---- Presets (OutputOptionsPresets.cpp) ----
    // The selector: "None", the built-in presets, the person's; the one the
    // settings came from chosen.
    void FillPresetList();
    // Fills the dialog from the preset chosen in the selector.
    void OnPresetChosen();
    void ApplyPresetToDialog(const engine::Preset& preset);
    // The dialog's fields as a preset named `name`.
    engine::Preset CurrentAsPreset(const std::string& name);
    // The description of the chosen preset, or the fields that no longer match it.
    void UpdatePresetNote();
    // The Presets button: save, rename, delete, export, import.
    void OnPresetsMenu();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSelectionChange(int id) override;
    void OnEditChange(int id) override;
    void OnOK() override { StoreAndClose(); }
    // Cancel, Escape and the close box: what Settings and Default changed is undone.
    void OnCancel() override;

private:
    // The entry a stored choice selects: the stored compressor's, or the preferred one's.
    int StoredEntry(bool video, const char* numberKey, const char* fragment);
    int PreferredEntry(bool video, const char* fragment) const;
    void FillList(bool video);

    // The compressor settings as they were before this dialog first changed them.
    void KeepForCancel(bool video);
    std::vector<vfw::DriverSettings> before_;
    engine::OutputSettings opened_;  // the settings the dialog opened with
    std::vector<std::pair<std::string, vfw::DWORD>> kept_;

    // What the dialog shows when the chosen preset fills it; none for "None".
    engine::Preset ExpectedFrom(const engine::Preset& preset);
    // The catalogue index the list shows for a slot's `index`: a kept stream the
    // open source cannot give (or no source) shows the format's preferred one.
    int ShownIndex(bool video, int index);
    const engine::Preset* SelectedPreset() const;
    void SelectPreset(const std::string& name);
    // A name for a preset, asked until it is usable or the person cancels; the
    // preset named `current` may keep its name.
    std::optional<std::string> AskPresetName(const std::string& initial, const std::string& current);
    void SetSizeFields(int targetSizeMB, int longerSideAtMost);
    std::vector<engine::Preset> presets_;    // entry k + 1 of the selector
    std::optional<engine::Preset> chosen_;  // the chosen preset as the dialog showed it

    std::vector<int> videoIndices_;  // entry k shows catalogue index videoIndices_[k], -1 for none
    std::vector<int> audioIndices_;
};

}  // namespace options
