#include "resources/OptionsDialogTemplate.h"

#include "resources/Resources.h"

namespace resources {

const ui::DialogTemplate& OptionsDialogTemplate() {
    using namespace ui;
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_OUTPUT_OPTIONS;
        d.caption = "Output options";
        d.rect = {0, 0, 278, 183};
        d.fontFace = "Microsoft Sans Serif";
        d.fontPoints = 8;
        d.systemMenu = true;
        d.minimizeBox = false;
        const std::uint32_t field = kTabStop | kBorder;
        d.controls = {
            {IDC_STATIC_OUTPUT_FORMAT, ControlKind::Static, "Output Format:", {7, 7, 72, 14}, 0},
            {IDC_COMBO_OUTPUT_FORMAT, ControlKind::DropDownList, "", {80, 7, 86, 177}, kTabStop},
            {IDC_STATIC_OUTPUT_FILE, ControlKind::Static, "Output file:", {7, 27, 72, 14}, 0},
            {IDC_EDIT_OUTPUT_PATH, ControlKind::Edit, "", {80, 27, 126, 14}, field | kAutoScroll},
            {IDC_BUTTON_BROWSE, ControlKind::PushButton, "Browse", {206, 27, 65, 14}, kTabStop},
            {IDC_STATIC_VIDEO_COMPRESSOR, ControlKind::Static, "Video compressor:", {7, 49, 72, 14}, 0},
            {IDC_COMBO_VIDEO_COMPRESSOR, ControlKind::DropDownList, "", {80, 49, 126, 115}, kTabStop},
            {IDC_BUTTON_VIDEO_CODEC_SETTINGS, ControlKind::PushButton, "Settings", {205, 48, 66, 14},
             kTabStop},
            {IDC_STATIC_AUDIO_COMPRESSOR, ControlKind::Static, "Audio compressor:", {7, 69, 72, 14}, 0},
            {IDC_COMBO_AUDIO_COMPRESSOR, ControlKind::DropDownList, "", {80, 69, 126, 138}, kTabStop},
            {IDC_BUTTON_AUDIO_CODEC_SETTINGS, ControlKind::PushButton, "Settings", {205, 68, 66, 14},
             kTabStop},
            {IDC_STATIC_AUDIO_TRACKS, ControlKind::Static, "Audio tracks:", {7, 91, 72, 14}, 0},
            {IDC_COMBO_AUDIO_TRACKS, ControlKind::DropDownList, "", {80, 89, 126, 40}, kTabStop},
            {IDC_STATIC_OPTIONS_NOTE, ControlKind::Static,
             "Note: some video and audio compressors may not work properly. For more detail, "
             "please read help.",
             {7, 131, 264, 29}, kWrap},
            {IDC_STATIC_START, ControlKind::Static, "Start:", {7, 111, 72, 14}, 0},
            {IDC_EDIT_START, ControlKind::Edit, "", {80, 111, 56, 14}, field | kAutoScroll},
            {IDC_STATIC_END, ControlKind::Static, "End:", {150, 111, 52, 14}, 0},
            {IDC_EDIT_END, ControlKind::Edit, "", {205, 111, 66, 14}, field | kAutoScroll},
            {IDC_STATIC_VIDEO_COMPRESSOR_BITRATE, ControlKind::Static, "Video encoding bitrate:",
             {7, 48, 100, 14}, 0},
            {IDC_EDIT_VIDEO_BITRATE, ControlKind::Edit, "", {114, 48, 89, 14}, field},
            {IDC_STATIC_VIDEO_KBPS, ControlKind::Static, "Kbps", {213, 47, 53, 14}, 0},
            {IDC_STATIC_AUDIO_COMPRESSOR_BITRATE, ControlKind::Static, "Audio encoding bitrate:",
             {7, 68, 100, 14}, 0},
            {IDC_COMBO_AUDIO_BITRATE, ControlKind::DropDownList, "", {114, 69, 90, 159}, kTabStop},
            {IDC_STATIC_AUDIO_KBPS, ControlKind::Static, "Kbps", {214, 69, 53, 14}, 0},
            {IDC_BUTTON_OPTIONS_OK, ControlKind::DefPushButton, "OK", {16, 162, 66, 14}, kTabStop},
            {IDC_BUTTON_OUTPUT_DEAULT, ControlKind::PushButton, "Default", {105, 162, 66, 14}, kTabStop},
            {IDC_BUTTON_OPTIONS_CANCEL, ControlKind::PushButton, "Cancel", {194, 162, 66, 14},
             kTabStop},
            // Never shown: the width, height and frame-rate fields and the frame-rate
            // selector carry values to OK; the rest have no effect.
            {IDC_STATIC_RESOLUTION, ControlKind::Static, "Resolution:", {7, 49, 66, 14}, 0},
            {IDC_COMBO_RESOLUTION, ControlKind::DropDownList, "", {80, 49, 126, 137}, kTabStop},
            {IDC_EDIT_WIDTH, ControlKind::Edit, "", {214, 49, 20, 14}, field | kCenter},
            {IDC_EDIT_HEIGHT, ControlKind::Edit, "", {248, 49, 22, 14}, field | kCenter},
            {IDC_STATIC_FRAME_RATE, ControlKind::Static, "Frame rate:", {7, 69, 66, 14}, 0},
            {IDC_COMBO_FRAME_RATE, ControlKind::DropDownList, "", {80, 69, 126, 138}, kTabStop},
            {IDC_EDIT_FRAME_RATE, ControlKind::Edit, "", {214, 69, 36, 12}, field},
            {IDC_STATIC_RESIZE_MODE, ControlKind::Static, "Resize mode:", {7, 89, 66, 14}, 0},
            {IDC_COMBO_RESIZE_MODE, ControlKind::DropDownList, "", {80, 89, 126, 35}, kTabStop},
            {IDC_COMBO_CODEC_LIST, ControlKind::DropDownList, "", {80, 49, 126, 137},
             kTabStop | kHidden},
            {IDC_EDIT_AUDIO_BITRATE, ControlKind::Edit, "", {221, 92, 40, 14}, field | kHidden},
        };
        d.listItems = {
            {IDC_COMBO_OUTPUT_FORMAT, {"AVI", "WMV", "MKV", "ASF", "WEBM", "MP4"}},
            {IDC_COMBO_AUDIO_BITRATE, {"64", "128", "192", "320"}},
        };
        return d;
    }();
    return t;
}

}  // namespace resources
