#include "resources/OptionsDialogTemplate.h"

#include "resources/Resources.h"

namespace resources {

const ui::DialogTemplate& OptionsDialogTemplate() {
    using namespace ui;
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_OUTPUT_OPTIONS;
        d.caption = "Output options";
        d.rect = {0, 0, 278, 261};
        d.fontFace = "Microsoft Sans Serif";
        d.fontPoints = 8;
        d.systemMenu = true;
        d.minimizeBox = false;
        const std::uint32_t field = kTabStop | kBorder;
        d.controls = {
            {IDC_STATIC_PRESET, ControlKind::Static, "Preset:", {7, 7, 72, 14}, 0},
            {IDC_COMBO_PRESET, ControlKind::DropDownList, "", {80, 7, 126, 140}, kTabStop},
            {IDC_BUTTON_PRESETS, ControlKind::PushButton, "Presets...", {206, 7, 65, 14}, kTabStop},
            {IDC_STATIC_PRESET_NOTE, ControlKind::Static, "", {7, 23, 264, 18}, kWrap | kNoPrefix},
            {IDC_STATIC_OUTPUT_FORMAT, ControlKind::Static, "Output Format:", {7, 43, 72, 14}, 0},
            {IDC_COMBO_OUTPUT_FORMAT, ControlKind::DropDownList, "", {80, 43, 86, 177}, kTabStop},
            {IDC_STATIC_OUTPUT_FILE, ControlKind::Static, "Output file:", {7, 63, 72, 14}, 0},
            {IDC_EDIT_OUTPUT_PATH, ControlKind::Edit, "", {80, 63, 126, 14}, field | kAutoScroll},
            {IDC_BUTTON_BROWSE, ControlKind::PushButton, "Browse", {206, 63, 65, 14}, kTabStop},
            {IDC_STATIC_VIDEO_COMPRESSOR, ControlKind::Static, "Video compressor:", {7, 85, 72, 14}, 0},
            {IDC_COMBO_VIDEO_COMPRESSOR, ControlKind::DropDownList, "", {80, 85, 126, 115}, kTabStop},
            {IDC_BUTTON_VIDEO_CODEC_SETTINGS, ControlKind::PushButton, "Settings", {205, 84, 66, 14},
             kTabStop},
            {IDC_STATIC_AUDIO_COMPRESSOR, ControlKind::Static, "Audio compressor:", {7, 105, 72, 14}, 0},
            {IDC_COMBO_AUDIO_COMPRESSOR, ControlKind::DropDownList, "", {80, 105, 126, 138}, kTabStop},
            {IDC_BUTTON_AUDIO_CODEC_SETTINGS, ControlKind::PushButton, "Settings", {205, 104, 66, 14},
             kTabStop},
            {IDC_STATIC_AUDIO_TRACKS, ControlKind::Static, "Audio tracks:", {7, 127, 72, 14}, 0},
            {IDC_COMBO_AUDIO_TRACKS, ControlKind::DropDownList, "", {80, 125, 126, 40}, kTabStop},
            {IDC_STATIC_OPTIONS_NOTE, ControlKind::Static,
             "Note: some video and audio compressors may not work properly. For more detail, "
             "please read help.",
             {7, 207, 264, 29}, kWrap},
            {IDC_STATIC_START, ControlKind::Static, "Start:", {7, 147, 72, 14}, 0},
            {IDC_EDIT_START, ControlKind::Edit, "", {80, 147, 56, 14}, field | kAutoScroll},
            {IDC_STATIC_END, ControlKind::Static, "End:", {150, 147, 52, 14}, 0},
            {IDC_EDIT_END, ControlKind::Edit, "", {205, 147, 66, 14}, field | kAutoScroll},
            {IDC_STATIC_TARGET_SIZE, ControlKind::Static, "Target size (MB):", {7, 167, 100, 14}, 0},
            {IDC_EDIT_TARGET_SIZE, ControlKind::Edit, "", {114, 167, 50, 14}, field},
            {IDC_STATIC_LONGER_SIDE, ControlKind::Static, "Longer side at most:", {7, 187, 100, 14}, 0},
            {IDC_EDIT_LONGER_SIDE, ControlKind::Edit, "", {114, 187, 50, 14}, field},
            {IDC_STATIC_PIXELS, ControlKind::Static, "pixels", {170, 187, 60, 14}, 0},
            {IDC_STATIC_VIDEO_COMPRESSOR_BITRATE, ControlKind::Static, "Video encoding bitrate:",
             {7, 84, 100, 14}, 0},
            {IDC_EDIT_VIDEO_BITRATE, ControlKind::Edit, "", {114, 84, 89, 14}, field},
            {IDC_STATIC_VIDEO_KBPS, ControlKind::Static, "Kbps", {213, 83, 53, 14}, 0},
            {IDC_STATIC_AUDIO_COMPRESSOR_BITRATE, ControlKind::Static, "Audio encoding bitrate:",
             {7, 104, 100, 14}, 0},
            {IDC_COMBO_AUDIO_BITRATE, ControlKind::DropDownList, "", {114, 105, 90, 159}, kTabStop},
            {IDC_STATIC_AUDIO_KBPS, ControlKind::Static, "Kbps", {214, 105, 53, 14}, 0},
            {IDC_BUTTON_OPTIONS_OK, ControlKind::DefPushButton, "OK", {16, 240, 66, 14}, kTabStop},
            {IDC_BUTTON_OUTPUT_DEAULT, ControlKind::PushButton, "Default", {105, 240, 66, 14}, kTabStop},
            {IDC_BUTTON_OPTIONS_CANCEL, ControlKind::PushButton, "Cancel", {194, 240, 66, 14},
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
            {IDC_COMBO_AUDIO_BITRATE, {"64", "128", "192", "320"}},
        };
        return d;
    }();
    return t;
}

const ui::MenuTemplate& PresetMenuTemplate() {
    using ui::MenuItemTemplate;
    static const ui::MenuTemplate t{
        IDC_BUTTON_PRESETS,
        {MenuItemTemplate{"Presets",
                          0,
                          {MenuItemTemplate{"Save the Options as a preset...", IDM_PRESET_SAVE, {}, false},
                           MenuItemTemplate{"Rename...", IDM_PRESET_RENAME, {}, false},
                           MenuItemTemplate{"Delete", IDM_PRESET_DELETE, {}, false},
                           MenuItemTemplate{"", 0, {}, false},
                           MenuItemTemplate{"Export to a file...", IDM_PRESET_EXPORT, {}, false},
                           MenuItemTemplate{"Import from a file...", IDM_PRESET_IMPORT, {}, false}},
                          true}}};
    return t;
}

const ui::DialogTemplate& PresetNameTemplate() {
    using namespace ui;
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_PRESET_NAME;
        d.caption = "Preset name";
        d.rect = {0, 0, 220, 50};
        d.fontFace = "Microsoft Sans Serif";
        d.fontPoints = 8;
        d.controls = {
            {IDC_STATIC_PRESET_NAME, ControlKind::Static, "Name:", {7, 9, 40, 14}, 0},
            {IDC_EDIT_PRESET_NAME, ControlKind::Edit, "", {50, 7, 163, 14},
             kTabStop | kBorder | kAutoScroll},
            {IDC_BUTTON_PRESET_NAME_OK, ControlKind::DefPushButton, "OK", {50, 29, 66, 14}, kTabStop},
            {IDC_BUTTON_PRESET_NAME_CANCEL, ControlKind::PushButton, "Cancel", {147, 29, 66, 14},
             kTabStop},
        };
        return d;
    }();
    return t;
}

}  // namespace resources
