#include "i18n/TextKeyTable.h"

namespace i18n {

// Some keys stand in two rows: one value of the file then fills both IDs
// (the About button and the About caption, the program title on the main
// window and in About, the Convert label before and after a run).
const std::array<TextKey, kTextKeyCount> kTextKeyTable = {{
    {131 * kPopupKeyFactor, "IDM_SELECT_LANGUAGE"},
    {32772, "IDM_POPUPMENU_FONT"},
    {32771, "IDM_ABOUT"},

    {102, "IDD_PROGRAM_CAPTION"},
    {1000, "IDC_BUTTON_ADD_VIDEO"},
    {1006, "IDC_BUTTON_OUTPUT_SETTINGS"},
    {1002, "IDC_BUTTON_CONVERT"},
    {1043, "IDC_BUTTON_HELP"},
    {1026, "IDC_BUTTON_HOMEPAGE"},
    {1027, "IDC_BUTTON_ABOUT"},
    {1022, "IDC_BUTTON_EXIT"},
    {125, "IDC_BUTTON_CONVERT"},
    {124, "IDC_BUTTON_STOP"},
    {100, "IDC_BUTTON_ABOUT"},
    {1045, "IDD_PROGRAM_CAPTION"},
    {129, "IDD_DIALOG_OUTPUT_OPTIONS"},
    {1056, "IDC_STATIC_OUTPUT_FORMAT"},
    {1020, "IDC_STATIC_OUTPUT_FILE"},
    {1021, "IDC_BUTTON_BROWSE"},
    {1011, "IDC_STATIC_RESOLUTION"},
    {1036, "IDC_STATIC_FRAME_RATE"},
    {1037, "IDC_STATIC_RESIZE_MODE"},
    {1038, "IDC_STATIC_VIDEO_COMPRESSOR"},
    {1016, "IDC_BUTTON_VIDEO_CODEC_SETTINGS"},
    {220, "IDC_BUTTON_AUDIO_CODEC_SETTINGS"},
    {1039, "IDC_STATIC_AUDIO_COMPRESSOR"},
    {1047, "IDC_STATIC_VIDEO_COMPRESSOR_BITRATE"},
    {1048, "IDC_STATIC_AUDIO_COMPRESSOR_BITRATE"},
    {1040, "IDC_STATIC_OPTIONS_NOTE"},
    {1014, "IDC_BUTTON_OUTPUT_DEAULT"},
    {1041, "IDC_BUTTON_OPTIONS_OK"},
    {1042, "IDC_BUTTON_OPTIONS_CANCEL"},

    {105, "IDS_MESSAGE_ERROR"},
    {108, "IDS_MESSAGE_WARNING"},
    {110, "IDS_MESSAGE_BROWSE_CAPTION"},
    {111, "IDS_MESSAGE_ORIGINAL_SIZE"},
    {115, "IDS_MESSAGE_OUTPUT_FILE"},
    {116, "IDS_MESSAGE_RESOLUTION"},
    {119, "IDS_MESSAGE_OPEN_FILE"},
    {122, "IDS_MESSAGE_NOT_OPEN_FILE"},
    {123, "IDS_MESSAGE_NO_DURATION"},
    {126, "IDS_MESSAGE_RESTART_PROGRAM"},
    {131, "IDS_MESSAGE_FILE_EXIST"},
    {143, "IDS_MESSAGE_STOP_CONVERT"},
    {163, "IDS_MESSAGE_CONVERSION_DONE"},
    {400, "IDS_MESSAGE_SOURCE_ENDED_EARLY"},
    {401, "IDS_MESSAGE_OUTPUT_IS_FOLDER"},
    {402, "IDS_MESSAGE_NOT_REGULAR_FILE"},
    {403, "IDS_MESSAGE_DISK_FULL"},
    {170, "IDS_MESSAGE_OUTPUT_IS_SOURCE"},
    {171, "IDS_MESSAGE_CONVERSION_STOPPED"},
    {172, "IDS_MESSAGE_TIME_LEFT"},
    {173, "IDS_MESSAGE_VIDEO_FILES"},
    {174, "IDS_MESSAGE_ALL_FILES"},
    {175, "IDS_MESSAGE_HELP_CAPTION"},
    {180, "IDS_SETTING_BITRATE"},
    {181, "IDS_SETTING_QUANTIZER"},
    {182, "IDS_SETTING_KEYFRAME_INTERVAL"},
    {183, "IDS_SETTING_BFRAMES"},
    {184, "IDS_SETTING_QMIN"},
    {185, "IDS_SETTING_QMAX"},
    {186, "IDS_FILTER_MP4"},
    {221, "IDS_SETTING_AUDIO_QUALITY"},
    {222, "IDS_MESSAGE_SETTINGS_NOT_USED"},
    {223, "IDS_MESSAGE_SETTINGS_REFUSED"},
    {340, "IDS_NOTE_TURN_IGNORED"},
    {341, "IDS_NOTE_TURN_DAMAGED"},
    {342, "IDS_NOTE_HDR_METADATA_MISSING"},
    {343, "IDS_NOTE_NOT_DEINTERLACED"},
    {344, "IDS_NOTE_NOT_TONE_MAPPED"},
    {345, "IDS_NOTE_DAMAGED_FRAMES"},
    {346, "IDS_NOTE_STREAMS_LEFT_OUT"},
    {347, "IDS_NOTE_SAMPLE_RATE"},
    {348, "IDS_MESSAGE_WRITTEN"},
    {550, "IDS_KEEP_ORIGINAL_STREAM"},
    {551, "IDS_NOTE_KEEP_NOT_HELD"},
    {552, "IDS_NOTE_KEEP_WITHOUT_TIMES"},
    {553, "IDS_NOTE_KEPT_FROM"},
    {554, "IDS_NOTE_READ_THROUGH"},
    {555, "IDC_STATIC_START"},
    {557, "IDC_STATIC_END"},
    {559, "IDS_MESSAGE_CUT_FORMAT"},
    {560, "IDS_MESSAGE_CUT_ORDER"},
    {561, "IDS_MESSAGE_CUT_OUTSIDE"},
    {300, "IDS_MESSAGE_OUTPUT_APPEARED"},
    {301, "IDS_MESSAGE_SETTINGS_SET_ASIDE"},
    {404, "IDS_MESSAGE_FOLDER_NOT_MADE"},
    {405, "IDS_MESSAGE_FOLDER_NOT_WRITABLE"},
    {406, "IDS_MESSAGE_RUN_NOT_STARTED"},
    {407, "IDS_MESSAGE_VIDEO_NOT_HELD"},
    {408, "IDS_MESSAGE_AUDIO_NOT_HELD"},
    {409, "IDS_MESSAGE_OPEN_FIRST"},
    {410, "IDS_MESSAGE_USED_TIME"},
    {411, "IDC_STATIC_ABOUT_NOTICE"},
    {412, "IDC_STATIC_ABOUT_SUPPORT"},
    {413, "IDC_STATIC_ABOUT_CREDITS"},
    {414, "IDS_ABOUT_VERSION"},
    {415, "IDS_FILTER_PROPERTIES_CAPTION"},
    {416, "IDS_BUTTON_CONTINUE"},
    {417, "IDS_SETTING_CRF"},
    {418, "IDS_SETTING_PRESET"},
    {419, "IDS_SETTING_PROFILE"},
    {420, "IDS_SETTING_TUNE"},
    {421, "IDS_SETTING_DEADLINE"},
    {422, "IDS_SETTING_SPEED"},
    {423, "IDS_HINT_QUALITY"},
    {424, "IDS_HINT_BITRATE"},
    {425, "IDS_HINT_KEYFRAMES"},
    {426, "IDS_HINT_PRESET"},
    {427, "IDS_HINT_PROFILE"},
    {428, "IDS_HINT_TUNE"},
    {429, "IDS_HINT_SPEED"},
    {430, "IDS_HINT_DEADLINE"},
    {431, "IDS_HINT_AUDIO_QUALITY"},
    {432, "IDS_HINT_AUDIO_BITRATE"},
    {433, "IDS_SETTINGS_ADVANCED"},
}};

std::string_view SectionOfKey(std::string_view key) {
    const std::string_view prefix = key.substr(0, 3);
    if (prefix == "IDS") return "STRING";
    if (prefix == "IDM" || prefix == "IDR") return "MENU";
    if (prefix == "IDD" || prefix == "IDC") return "DIALOG";
    return {};
}

namespace {
void ReplaceAll(std::string& text, std::string_view from, char to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from))
        text.replace(at, from.size(), 1, to);
}
}  // namespace

std::string Unescape(std::string text) {
    ReplaceAll(text, "\\t", '\t');
    ReplaceAll(text, "\\n", '\n');
    ReplaceAll(text, "\\r", '\r');
    return text;
}

}  // namespace i18n
