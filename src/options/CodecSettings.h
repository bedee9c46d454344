#pragma once
// The options dialog's Settings button: the configuration dialog of the
// installable compressor whose description matches the chosen video compressor.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/vfw/Vfw.h"

namespace ui {
class Dialog;
}

namespace options {

// The uncompressed frame offered to each driver when listing them: 24-bit RGB.
vfw::BITMAPINFOHEADER ProbeInputFormat(int width, int height);

// The drivers that accept ProbeInputFormat of this size, in the platform's
// order, all of them (a cap would hide compressors a format can use); gives
// their count.
int ListVfwCompressors(int width, int height, std::vector<vfw::ICINFO>& list);

// The first run of digits and dots in `text`; false when it has none.
bool VersionRun(std::string_view text, std::string& run);

// The last confirmed state of each driver, by its type and handler, so that a
// driver is only ever handed a block it wrote itself.
using CodecStateStore = std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>>;
CodecStateStore& CodecState();  // the process's

// Opens the driver's configuration dialog with its last confirmed state and keeps
// the state the user confirms. True when the user confirmed.
bool ConfigureVfwCompressor(ui::Dialog* owner, const vfw::ICINFO& info, CodecStateStore& state);

// The Settings button of the dialog holding the video selector and the hidden codec list.
void OnCodecSettings(ui::Dialog& dialog, int videoSelectorId, int codecListId);

// Whether the audio compressor of this name has settings a person can change.
bool AudioCompressorHasSettings(const std::string& name);

// The audio Settings button: the configuration dialog of the driver of the audio
// compressor chosen in the selector; nothing for one without settings.
void OnAudioCodecSettings(ui::Dialog& dialog, int audioSelectorId);

}  // namespace options
