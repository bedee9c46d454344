#pragma once
// Template 129: the output options dialog.
#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDC_STATIC_OUTPUT_FORMAT = 1056;
inline constexpr int IDC_COMBO_OUTPUT_FORMAT = 1046;
inline constexpr int IDC_STATIC_OUTPUT_FILE = 1020;
inline constexpr int IDC_EDIT_OUTPUT_PATH = 1009;
inline constexpr int IDC_BUTTON_BROWSE = 1021;
inline constexpr int IDC_STATIC_VIDEO_COMPRESSOR = 1038;
inline constexpr int IDC_COMBO_VIDEO_COMPRESSOR = 1007;
inline constexpr int IDC_BUTTON_VIDEO_CODEC_SETTINGS = 1016;
inline constexpr int IDC_BUTTON_AUDIO_CODEC_SETTINGS = 220;
inline constexpr int IDC_STATIC_AUDIO_COMPRESSOR = 1039;
inline constexpr int IDC_COMBO_AUDIO_COMPRESSOR = 1008;
inline constexpr int IDC_STATIC_OPTIONS_NOTE = 1040;
inline constexpr int IDC_STATIC_VIDEO_COMPRESSOR_BITRATE = 1047;
inline constexpr int IDC_EDIT_VIDEO_BITRATE = 1049;
inline constexpr int IDC_STATIC_VIDEO_KBPS = 1051;
inline constexpr int IDC_STATIC_AUDIO_COMPRESSOR_BITRATE = 1048;
inline constexpr int IDC_COMBO_AUDIO_BITRATE = 1050;
inline constexpr int IDC_STATIC_AUDIO_KBPS = 1052;
inline constexpr int IDC_BUTTON_OPTIONS_OK = 1041;
inline constexpr int IDC_BUTTON_OUTPUT_DEAULT = 1014;
inline constexpr int IDC_BUTTON_OPTIONS_CANCEL = 1042;
inline constexpr int IDC_STATIC_RESOLUTION = 1011;
inline constexpr int IDC_COMBO_RESOLUTION = 1010;
inline constexpr int IDC_EDIT_WIDTH = 1012;
inline constexpr int IDC_EDIT_HEIGHT = 1013;
inline constexpr int IDC_STATIC_FRAME_RATE = 1036;
inline constexpr int IDC_COMBO_FRAME_RATE = 1017;
inline constexpr int IDC_EDIT_FRAME_RATE = 1018;
inline constexpr int IDC_STATIC_RESIZE_MODE = 1037;
inline constexpr int IDC_COMBO_RESIZE_MODE = 1019;
inline constexpr int IDC_COMBO_CODEC_LIST = 1015;
inline constexpr int IDC_EDIT_AUDIO_BITRATE = 1053;
inline constexpr int IDC_STATIC_PRESET = 720;
inline constexpr int IDC_COMBO_PRESET = 721;
inline constexpr int IDC_BUTTON_PRESETS = 723;
inline constexpr int IDC_STATIC_PRESET_NOTE = 724;
inline constexpr int IDC_STATIC_TARGET_SIZE = 726;
inline constexpr int IDC_EDIT_TARGET_SIZE = 727;
inline constexpr int IDC_STATIC_LONGER_SIDE = 728;
inline constexpr int IDC_EDIT_LONGER_SIDE = 729;
inline constexpr int IDC_STATIC_PIXELS = 730;

// The Presets button's menu.
inline constexpr int IDM_PRESET_SAVE = 731;
inline constexpr int IDM_PRESET_RENAME = 732;
inline constexpr int IDM_PRESET_DELETE = 733;
inline constexpr int IDM_PRESET_EXPORT = 734;
inline constexpr int IDM_PRESET_IMPORT = 735;

// The name asked for when a preset is saved or renamed.
inline constexpr int IDD_PRESET_NAME = 740;
inline constexpr int IDC_STATIC_PRESET_NAME = 741;
inline constexpr int IDC_EDIT_PRESET_NAME = 742;
inline constexpr int IDC_BUTTON_PRESET_NAME_OK = 743;
inline constexpr int IDC_BUTTON_PRESET_NAME_CANCEL = 744;
// The part of the source to convert.
inline constexpr int IDC_STATIC_START = 555;
inline constexpr int IDC_EDIT_START = 556;
inline constexpr int IDC_STATIC_END = 557;
inline constexpr int IDC_EDIT_END = 558;
inline constexpr int IDC_STATIC_AUDIO_TRACKS = 515;
inline constexpr int IDC_COMBO_AUDIO_TRACKS = 518;

const ui::DialogTemplate& OptionsDialogTemplate();
const ui::MenuTemplate& PresetMenuTemplate();
const ui::DialogTemplate& PresetNameTemplate();

}  // namespace resources
