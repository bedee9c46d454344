#pragma once
// The profile sections and values that hold the output options, read by the
// window, the options dialog and the command line alike.

namespace options {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kVideoSection = "DexVideoCompress";
inline constexpr const char* kAudioSection = "DexAudioCompress";
inline constexpr const char* kFormatValue = "nOuptputFormat";

}  // namespace options
