#pragma once
// The output options dialog: format, path, compressors or Windows Media bitrates,
// on a copy of the settings that OK stores and hands back.
#include <string>

#include "options/OutputSettings.h"
#include "platform/ui/Dialog.h"

namespace options {

// Where the WebM encoders can be had, and the site named when no browser starts.
inline constexpr const char* kWebmEncodersPage = "https://www.quorvel.example/converter/get-webm-codecs";
inline constexpr const char* kWebmEncodersSite = "https://www.quorvel.example";

class OutputOptionsDialog : public ui::Dialog {
public:
    explicit OutputOptionsDialog(ui::Dialog* owner);

    OutputSettings settings;  // the dialog's copy
    // Facts of the source, for reading only.
    int sourceWidth = 0;
    int sourceHeight = 0;
    double sourceFrameRate = 0;
    int sourceOpened = 0;

    // The selector entries to return to when the user leaves WebM.
    int restoreVideoEntry = -1;
    int restoreAudioEntry = -1;

    void FillVideoCompressorList();
    void FillAudioCompressorList();
    void ApplyFormatLayout(int format);
    void OnFormatChanged();
    void SelectDefaultCompressors();
    // OK: the controls' values stored, the dialog ended with OK.
    void StoreAndClose();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSelectionChange(int id) override;
    void OnOK() override { StoreAndClose(); }

private:
    // The entry a stored choice selects: index + 1, or after the preferred compressor.
    int StoredEntry(bool video, const char* numberKey, const char* fragment, int count);
};

}  // namespace options
