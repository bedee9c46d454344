#pragma once
// The profile sections and value names read or written in more than one place:
// the window, the options dialog and the command line share them.

namespace settings {

inline constexpr const char* kOptionSection = "Option";
inline constexpr const char* kCurrentLanguageValue = "CurrentLanguage";

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kFormatValue = "nOuptputFormat";
// 0: every sound track of the source is written; 1: its default one only.
inline constexpr const char* kAudioTracksValue = "AudioTracks";
inline constexpr const char* kVideoSection = "DexVideoCompress";
inline constexpr const char* kAudioSection = "DexAudioCompress";

}  // namespace settings
