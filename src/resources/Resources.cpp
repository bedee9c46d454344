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
            {IDC_BUTTON_OUTPUT_SETTINGS,
             ControlKind::PushButton,
             "Options",
             {76, 7, 66, 25},
             kTabStop},
            {IDC_BUTTON_HELP, ControlKind::PushButton, "Help", {214, 7, 66, 26}, kTabStop},
            {IDC_BUTTON_QUEUE, ControlKind::PushButton, "Queue", {7, 106, 66, 26}, kTabStop},
            {IDC_BUTTON_HOMEPAGE, ControlKind::PushButton, "Homepage", {76, 106, 66, 26}, kTabStop},
            {IDC_BUTTON_ABOUT, ControlKind::PushButton, "About", {145, 106, 66, 26}, kTabStop},
            {IDC_STATIC_SOURCE,
             ControlKind::Static,
             "",
             {8, 41, 273, 16},
             kCenter | kCenterVertical | kSunken},
            {IDC_STATIC_STATUS, ControlKind::Static, "", {7, 68, 273, 28}, kWrap | kSunken},
            {IDC_PROGRESS_RUN, ControlKind::ProgressBar, "", {7, 68, 273, 28}, kHidden},
            {IDC_BUTTON_BUILD_FILTERS,
             ControlKind::PushButton,
             "Build Filters",
             {7, 55, 28, 14},
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
        {IDS_NOTE_NOT_KEPT, "Not kept in %s: %s."},
        {IDS_COUNT_AUDIO_TRACK, "1 audio track"},
        {IDS_COUNT_AUDIO_TRACKS, "%d audio tracks"},
        {IDS_COUNT_VIDEO_TRACK, "1 video track"},
        {IDS_COUNT_VIDEO_TRACKS, "%d video tracks"},
        {IDS_COUNT_SUBTITLE_TRACK, "1 subtitle track"},
        {IDS_COUNT_SUBTITLE_TRACKS, "%d subtitle tracks"},
        {IDS_COUNT_ATTACHMENT, "1 attachment"},
        {IDS_COUNT_ATTACHMENTS, "%d attachments"},
        {IDS_COUNT_CHAPTER, "1 chapter"},
        {IDS_COUNT_CHAPTERS, "%d chapters"},
        {IDS_NOTE_TRACKS_UNREADABLE, "Left out, as they could not be read or converted: %s."},
        {IDS_TRACK_AUDIO, "audio track %d"},
        {IDS_TRACK_SUBTITLE, "subtitle track %d"},
        {IDS_NOTE_TRACKS_OVER_LIMIT, "%d tracks beyond the first 16 audio and 32 subtitle tracks were left out."},
        {IDS_AUDIO_TRACKS_ALL, "All"},
        {IDS_AUDIO_TRACKS_DEFAULT, "Default only"},
        {IDS_MESSAGE_WRITTEN, "Written:"},
        {IDS_KEEP_ORIGINAL_STREAM, "Keep the original stream (no re-encoding)"},
        {IDS_NOTE_KEEP_NOT_HELD, "A stream to be kept cannot go into this format as it is; it was converted."},
        {IDS_NOTE_KEEP_WITHOUT_TIMES, "A stream to be kept has no timestamps in the source; it was converted."},
        {IDS_NOTE_KEPT_FROM, "The kept streams start at the key frame at %s."},
        {IDS_NOTE_READ_THROUGH, "The source cannot seek; it was read from its beginning up to the start."},
        {IDS_MESSAGE_CUT_FORMAT, "Start and End are written h:mm:ss.fff (for example 0:01:20.500), or left empty for the whole source."},
        {IDS_MESSAGE_CUT_ORDER, "End must come after Start."},
        {IDS_MESSAGE_CUT_OUTSIDE, "Start and End must lie within the source, which lasts %s."},
        {IDS_MESSAGE_OUTPUT_APPEARED,
         "%s appeared during the conversion and was left as it was; this conversion is in %s."},
        {IDS_QUEUE_COLUMN_SOURCE, "Source"},
        {IDS_QUEUE_COLUMN_OUTPUT, "Output"},
        {IDS_QUEUE_COLUMN_FORMAT, "Format"},
        {IDS_QUEUE_COLUMN_OPTIONS, "Options"},
        {IDS_QUEUE_COLUMN_STATE, "State"},
        {IDS_QUEUE_WAITING, "Waiting"},
        {IDS_QUEUE_CONVERTING, "Converting: %d%%, %s left"},
        {IDS_QUEUE_DONE, "Done: %s"},
        {IDS_QUEUE_FAILED, "Failed: %s"},
        {IDS_QUEUE_SKIPPED, "Skipped: %s exists"},
        {IDS_QUEUE_TIME_LEFT, "Time left for the whole queue: %s"},
        {IDS_QUEUE_COUNTS, "%d waiting, %d done, %d failed"},
        {IDS_QUEUE_EXISTS,
         "%d of the output files exist already, the first is %s. Replace them all, skip their "
         "jobs, or keep both files (the new one gets a numbered name)?"},
        {IDS_QUEUE_SUBFOLDERS, "%s holds folders too. Queue the videos in them as well?"},
        {IDS_QUEUE_FINISHED, "The queue is finished: %d done, %d failed."},
        {IDS_QUEUE_INHIBIT_REASON, "Converting videos"},
        {IDS_QUEUE_SOURCE_SIZE, "source size"},
        {IDS_QUEUE_WMV_BITRATES, "video %d kbit/s, audio %d kbit/s"},
        {IDS_QUEUE_UNCOMPRESSED, "uncompressed"},
        {IDS_QUEUE_NOT_KEPT, "Not saved: another copy of the program keeps the queue."},
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
    };
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

}  // namespace resources
