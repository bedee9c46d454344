#include "resources/Resources.h"

#include <map>

namespace resources {

using ui::ControlKind;
using namespace ui;  // style bits

const ui::DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_MAIN;
        d.caption = kProgramTitle;
        d.rect = {0, 0, 287, 140};
        d.fontFace = "MS Sans Serif";
        d.fontPoints = 8;
        d.systemMenu = true;
        d.minimizeBox = true;
        // Template order is the tab order: the focus starts on Exit.
        d.controls = {
            {IDC_BUTTON_EXIT, ControlKind::PushButton, "Exit", {214, 106, 66, 26}, kTabStop},
            {IDC_BUTTON_ADD_VIDEO, ControlKind::PushButton, "Open Video", {7, 7, 66, 26}, kTabStop},
            {IDC_BUTTON_CONVERT, ControlKind::PushButton, "Convert", {145, 7, 66, 26}, kTabStop},
            {IDC_BUTTON_OUTPUT_SETTINGS, ControlKind::PushButton, "Options", {76, 7, 66, 25},
             kTabStop},
            {IDC_BUTTON_HELP, ControlKind::PushButton, "Help", {214, 7, 66, 26}, kTabStop},
            {IDC_BUTTON_HOMEPAGE, ControlKind::PushButton, "Homepage", {76, 106, 66, 26}, kTabStop},
            {IDC_BUTTON_ABOUT, ControlKind::PushButton, "About", {145, 106, 66, 26}, kTabStop},
            {IDC_STATIC_SOURCE, ControlKind::Static, "", {8, 41, 273, 16},
             kCenter | kCenterVertical | kSunken},
            {IDC_STATIC_STATUS, ControlKind::Static, "", {7, 68, 273, 28}, kWrap | kSunken},
            {IDC_PROGRESS_RUN, ControlKind::ProgressBar, "", {7, 68, 273, 28}, kHidden},
            {IDC_BUTTON_BUILD_FILTERS, ControlKind::PushButton, "Build Filters", {7, 55, 28, 14},
             kTabStop},
        };
        return d;
    }();
    return t;
}

const ui::MenuTemplate& ContextMenuTemplate() {
    static const MenuTemplate t{
        IDR_CONTEXT_MENU,
        {MenuItemTemplate{"PopupMenu",
                          0,
                          {MenuItemTemplate{"Language", 0, {}, true},
                           MenuItemTemplate{"Font", IDM_POPUPMENU_FONT, {}, false},
                           MenuItemTemplate{"About", IDM_ABOUT, {}, false}},
                          true}}};
    return t;
}

std::string BuiltInString(int id) {
    static const std::map<int, std::string> table = {
        {IDS_ABOUTBOX, "&About"},
        {IDS_MESSAGE_ERROR, "Error"},
        {IDS_MESSAGE_WARNING, "Warning"},
        {IDS_MESSAGE_BROWSE_CAPTION, "Select Output File Name"},
        {IDS_MESSAGE_ORIGINAL_SIZE, "Original size"},
        {IDS_MESSAGE_OUTPUT_FILE, "Output file:"},
        {IDS_MESSAGE_RESOLUTION, "Resolution:"},
        {IDS_MESSAGE_OPEN_FILE, "Open a video file"},
        {IDS_MESSAGE_NOT_OPEN_FILE,
         "Cannot open the file. You need to install appropriate decoders. Or the file is "
         "corrupt."},
        {IDS_MESSAGE_NO_DURATION, "Can not get the duration of the clip!"},
        {IDS_BUTTON_STOP, "Stop"},
        {IDS_BUTTON_CONVERT, "Convert"},
        {IDS_MESSAGE_RESTART_PROGRAM, "Please restart the program"},
        {IDS_MESSAGE_FILE_EXIST, "exists. Do you want to replace it?"},
        {IDS_MESSAGE_STOP_CONVERT, "Please first stop converting"},
        {IDS_MESSAGE_CONVERSION_DONE, "Done"},
        {IDS_MESSAGE_SOURCE_ENDED_EARLY,
         "The source ended early, at %s of %s, and may be damaged; the file holds what could "
         "be read"},
        {IDS_MESSAGE_OUTPUT_IS_FOLDER, "%s is a folder. Choose an output file in Options."},
        {IDS_MESSAGE_NOT_REGULAR_FILE,
         "%s is not a regular file (it is a pipe, a device or a socket) and cannot be opened."},
        {IDS_MESSAGE_DISK_FULL,
         "The disk is full: there is no room left in %s for the output file. An older output "
         "file of that name is unchanged."},
        {IDS_MESSAGE_OUTPUT_IS_SOURCE,
         "The output file is the source file itself. Choose another output file in Options."},
        {IDS_MESSAGE_CONVERSION_STOPPED, "Stopped; the file holds the part converted so far"},
        {IDS_MESSAGE_TIME_LEFT, "Time left:"},
        {IDS_MESSAGE_VIDEO_FILES, "Video files"},
        {IDS_MESSAGE_ALL_FILES, "All files"},
        {IDS_MESSAGE_HELP_CAPTION, "Quorvel Video Converter Help"},
        {IDS_SETTING_BITRATE, "Bitrate (kbit/s)"},
        {IDS_SETTING_QUANTIZER, "Constant quantizer (lower is better)"},
        {IDS_SETTING_KEYFRAME_INTERVAL, "Key-frame interval (frames)"},
        {IDS_SETTING_BFRAMES, "B-frames between reference frames"},
        {IDS_SETTING_QMIN, "Smallest quantizer"},
        {IDS_SETTING_QMAX, "Largest quantizer"},
        {IDS_FILTER_MP4, "MPEG-4 file(*.mp4)"},
        {IDS_SETTING_AUDIO_QUALITY, "Quality (higher is better)"},
        {IDS_MESSAGE_SETTINGS_NOT_USED, "Stored settings out of range, not used: %s"},
        {IDS_MESSAGE_SETTINGS_REFUSED, "%s did not accept the chosen settings and used its own."},
        {IDS_NOTE_TURN_IGNORED, "The picture's rotation is not a quarter turn; the picture is as stored."},
        {IDS_NOTE_TURN_DAMAGED, "The picture's rotation data is damaged or contradictory; the picture is as stored."},
        {IDS_NOTE_HDR_METADATA_MISSING, "The HDR picture states no complete mastering data; it is written without it."},
        {IDS_NOTE_NOT_DEINTERLACED, "The interlaced picture could not be deinterlaced; it is as stored."},
        {IDS_NOTE_NOT_TONE_MAPPED, "The HDR picture could not be tone-mapped; its colours are as stored."},
        {IDS_NOTE_DAMAGED_FRAMES, "%d damaged frames of the source could not be decoded."},
        {IDS_NOTE_STREAMS_LEFT_OUT, "%d streams that begin midway in the source were left out."},
        {IDS_NOTE_SAMPLE_RATE, "The sound's sample rate could not be written; it was resampled to %d Hz."},
        {IDS_MESSAGE_WRITTEN, "Written:"},
        {IDS_MESSAGE_OUTPUT_APPEARED,
         "%s appeared during the conversion and was left as it was; this conversion is in %s."},
        {IDS_MESSAGE_SETTINGS_SET_ASIDE,
         "The settings file could not be read and was set aside as %s; the program starts with "
         "the default settings."},
        {IDS_MESSAGE_FOLDER_NOT_MADE, "The output folder %s does not exist and cannot be created (%s). Choose another output folder in Options."},
        {IDS_MESSAGE_FOLDER_NOT_WRITABLE, "You may not write in the output folder %s. Choose another output folder in Options, or ask for the right to write in this one."},
        {IDS_MESSAGE_RUN_NOT_STARTED, "The conversion could not start. Check that the output folder can be written and that the disk has room, then try again."},
        {IDS_MESSAGE_VIDEO_NOT_HELD, "The chosen video compressor cannot write into this output format. Choose another video compressor or another format in Options."},
        {IDS_MESSAGE_AUDIO_NOT_HELD, "The chosen audio compressor cannot write into this output format. Choose another audio compressor or another format in Options."},
        {IDS_MESSAGE_OPEN_FIRST, "Press Open Video (Ctrl+O) and choose a video file first."},
        {IDS_MESSAGE_USED_TIME, "Please wait... Used Time:"},
        {IDS_ABOUT_VERSION, "Version %s"},
        {IDS_FILTER_PROPERTIES_CAPTION, "Set Filter's Properties"},
        {IDS_BUTTON_CONTINUE, "&Continue"},
        {IDS_SETTING_CRF, "Constant quality (lower is better)"},
        {IDS_SETTING_PRESET, "Preset"},
        {IDS_SETTING_PROFILE, "Profile"},
        {IDS_SETTING_TUNE, "Tune for"},
        {IDS_SETTING_DEADLINE, "Quality mode"},
        {IDS_SETTING_SPEED, "Speed"},
        {IDS_HINT_QUALITY, "Lower numbers give better pictures and larger files."},
        {IDS_HINT_BITRATE, "The average data rate. Setting it replaces the constant quality."},
        {IDS_HINT_KEYFRAMES, "A full picture at least every so many frames: fewer make seeking quicker and files larger."},
        {IDS_HINT_PRESET, "Faster presets finish sooner and give larger files at the same quality."},
        {IDS_HINT_PROFILE, "Which players can read the file; leave it empty to let the encoder choose."},
        {IDS_HINT_TUNE, "Fits the encoder to the kind of picture: film, animation, grain and so on."},
        {IDS_HINT_SPEED, "Higher numbers finish sooner with slightly softer pictures."},
        {IDS_HINT_DEADLINE, "good is the usual choice; best is much slower, realtime faster and rougher."},
        {IDS_HINT_AUDIO_QUALITY, "Higher numbers give better sound and larger files."},
        {IDS_HINT_AUDIO_BITRATE, "The data rate of the sound: higher gives better sound and larger files."},
        {IDS_SETTINGS_ADVANCED, "Advanced"},
        {IDS_PRESET_PHONE_NAME, "MP4 for phones and the web"},
        {IDS_PRESET_PHONE_DESCRIPTION, "H.264 and AAC, the longer side at most 1920 pixels: plays on every phone, tablet, television and browser."},
        {IDS_PRESET_SEND_NAME, "MP4, small, to send"},
        {IDS_PRESET_SEND_DESCRIPTION, "H.264 and AAC made to fit in 25 MB, the longer side at most 1280 pixels: small enough for mail and messengers."},
        {IDS_PRESET_KEEP_NAME, "MKV to keep (H.265, every track)"},
        {IDS_PRESET_KEEP_DESCRIPTION, "H.265 at a quality hard to tell from the source, every sound track, the sound without loss (FLAC): for keeping."},
        {IDS_PRESET_WEBM_NAME, "WebM for the web (VP9 + Opus)"},
        {IDS_PRESET_WEBM_DESCRIPTION, "VP9 and Opus, the longer side at most 1920 pixels: for web pages and browsers."},
        {IDS_PRESET_AVI_NAME, "AVI for older players"},
        {IDS_PRESET_AVI_DESCRIPTION, "MPEG-4 part 2 and MP3 at DVD size, the longer side at most 720 pixels: for DVD players and older devices."},
        {IDS_PRESET_WMV_NAME, "WMV for Windows Media players"},
        {IDS_PRESET_WMV_DESCRIPTION, "Windows Media video and sound at 780 and 128 kbit/s, the longer side at most 1280 pixels."},
        {IDS_PRESET_REMUX_NAME, "Change the container only (keep the streams)"},
        {IDS_PRESET_REMUX_DESCRIPTION, "The picture and every sound track as they are, in a Matroska file: quick and without loss."},
        {IDS_PRESET_NONE, "None: my own settings"},
        {IDS_PRESET_CHANGED, "Changed from the preset: %s."},
        {IDS_PRESET_FIELD_SETTINGS, "the compressors' settings"},
        {IDS_PRESET_DELETE_QUESTION, "Delete the preset \"%s\"?"},
        {IDS_PRESET_NAME_TAKEN, "There is already a preset named \"%s\". Please choose another name."},
        {IDS_PRESET_NAME_INVALID, "A preset needs a name, without a backslash (\\) or control characters."},
        {IDS_PRESET_NOT_STORED, "The preset could not be stored in the settings file %s."},
        {IDS_PRESET_IMPORT_DAMAGED, "%s is not a preset file this program can read. Nothing was changed."},
        {IDS_PRESET_IMPORT_NEWER, "%s holds a preset from a newer version of this program. Nothing was changed."},
        {IDS_PRESET_COMPRESSOR_MISSING, "The preset names the compressor \"%s\", which this computer does not have for this format; \"%s\" is used instead."},
        {IDS_PRESET_EXPORT_FAILED, "The preset could not be written to %s."},
        {IDS_PRESET_FILE_FILTER, "Preset file(*.reg)"},
        {IDS_PRESET_EXPORT_CAPTION, "Export the preset"},
        {IDS_PRESET_IMPORT_CAPTION, "Import a preset"},
        {IDS_PRESET_NOT_FOUND, "There is no preset named \"%s\"; --list-presets shows them."},
        {IDS_MESSAGE_SIZE_UNREACHABLE,
         "A file of %d MB cannot be made: the sound and the container leave too little room for the picture. The smallest size that could work is %.1f MB."},
        {IDS_NOTE_OVER_SIZE_TARGET, "The file came to %d kB, over the size asked for, even at a lower rate."},
        {IDS_NOTE_SIZE_STOPPED, "Nothing was kept: a file of a chosen size is written whole or not at all."},
    };
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

}  // namespace resources
