#pragma once
// The program's resources: dialog templates, the right-click menu, the
// built-in English strings and the application icon.
#include <string>

#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;  // application icon
inline constexpr int IDD_OUTPUT_OPTIONS = 129;
inline constexpr int IDR_CONTEXT_MENU = 131;

// Main window controls.
inline constexpr int IDC_BUTTON_ADD_VIDEO = 1000;
inline constexpr int IDC_STATIC_SOURCE = 1001;
inline constexpr int IDC_BUTTON_CONVERT = 1002;
inline constexpr int IDC_BUTTON_BUILD_FILTERS = 1003;
inline constexpr int IDC_STATIC_STATUS = 1004;
inline constexpr int IDC_PROGRESS_RUN = 1005;  // over the status line while a run goes on
inline constexpr int IDC_BUTTON_OUTPUT_SETTINGS = 1006;
inline constexpr int IDC_BUTTON_EXIT = 1022;
inline constexpr int IDC_BUTTON_HOMEPAGE = 1026;
inline constexpr int IDC_BUTTON_ABOUT = 1027;
inline constexpr int IDC_BUTTON_HELP = 1043;
inline constexpr int IDC_BUTTON_QUEUE = 600;

// Menu commands.
inline constexpr int IDM_ABOUT = 32771;
inline constexpr int IDM_POPUPMENU_FONT = 32772;
inline constexpr int IDM_ABOUTBOX = 16;  // system menu About

// Built-in strings.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_MESSAGE_ERROR = 105;
inline constexpr int IDS_MESSAGE_WARNING = 108;
inline constexpr int IDS_MESSAGE_BROWSE_CAPTION = 110;
inline constexpr int IDS_MESSAGE_ORIGINAL_SIZE = 111;
inline constexpr int IDS_MESSAGE_OUTPUT_FILE = 115;
inline constexpr int IDS_MESSAGE_RESOLUTION = 116;
inline constexpr int IDS_MESSAGE_OPEN_FILE = 119;
inline constexpr int IDS_MESSAGE_NOT_OPEN_FILE = 122;
inline constexpr int IDS_MESSAGE_NO_DURATION = 123;
inline constexpr int IDS_BUTTON_STOP = 124;
inline constexpr int IDS_BUTTON_CONVERT = 125;
inline constexpr int IDS_MESSAGE_RESTART_PROGRAM = 126;
inline constexpr int IDS_MESSAGE_FILE_EXIST = 131;
inline constexpr int IDS_MESSAGE_STOP_CONVERT = 143;
inline constexpr int IDS_MESSAGE_CONVERSION_DONE = 163;
inline constexpr int IDS_MESSAGE_SOURCE_ENDED_EARLY = 400;
inline constexpr int IDS_MESSAGE_OUTPUT_IS_FOLDER = 401;
inline constexpr int IDS_MESSAGE_NOT_REGULAR_FILE = 402;
inline constexpr int IDS_MESSAGE_DISK_FULL = 403;
inline constexpr int IDS_MESSAGE_OUTPUT_IS_SOURCE = 170;
inline constexpr int IDS_MESSAGE_CONVERSION_STOPPED = 171;
inline constexpr int IDS_MESSAGE_TIME_LEFT = 172;
inline constexpr int IDS_MESSAGE_VIDEO_FILES = 173;
inline constexpr int IDS_MESSAGE_ALL_FILES = 174;
inline constexpr int IDS_MESSAGE_HELP_CAPTION = 175;
inline constexpr int IDS_SETTING_BITRATE = 180;
inline constexpr int IDS_SETTING_QUANTIZER = 181;
inline constexpr int IDS_SETTING_KEYFRAME_INTERVAL = 182;
inline constexpr int IDS_SETTING_BFRAMES = 183;
inline constexpr int IDS_SETTING_QMIN = 184;
inline constexpr int IDS_SETTING_QMAX = 185;
inline constexpr int IDS_FILTER_MP4 = 186;
inline constexpr int IDS_SETTING_AUDIO_QUALITY = 221;
inline constexpr int IDS_MESSAGE_SETTINGS_NOT_USED = 222;
inline constexpr int IDS_MESSAGE_SETTINGS_REFUSED = 223;
inline constexpr int IDS_NOTE_TURN_IGNORED = 340;
inline constexpr int IDS_NOTE_TURN_DAMAGED = 341;
inline constexpr int IDS_NOTE_HDR_METADATA_MISSING = 342;
inline constexpr int IDS_NOTE_NOT_DEINTERLACED = 343;
inline constexpr int IDS_NOTE_NOT_TONE_MAPPED = 344;
inline constexpr int IDS_NOTE_DAMAGED_FRAMES = 345;
inline constexpr int IDS_NOTE_STREAMS_LEFT_OUT = 346;
inline constexpr int IDS_NOTE_SAMPLE_RATE = 347;
inline constexpr int IDS_MESSAGE_WRITTEN = 348;
inline constexpr int IDS_KEEP_ORIGINAL_STREAM = 550;
inline constexpr int IDS_NOTE_KEEP_NOT_HELD = 551;
inline constexpr int IDS_NOTE_KEEP_WITHOUT_TIMES = 552;
inline constexpr int IDS_NOTE_KEPT_FROM = 553;
inline constexpr int IDS_NOTE_READ_THROUGH = 554;
inline constexpr int IDS_MESSAGE_CUT_FORMAT = 559;
inline constexpr int IDS_MESSAGE_CUT_ORDER = 560;
inline constexpr int IDS_MESSAGE_CUT_OUTSIDE = 561;
inline constexpr int IDS_MESSAGE_OUTPUT_APPEARED = 300;
inline constexpr int IDS_MESSAGE_SETTINGS_SET_ASIDE = 301;
// The queue's texts.
inline constexpr int IDS_QUEUE_COLUMN_SOURCE = 630;
inline constexpr int IDS_QUEUE_COLUMN_OUTPUT = 631;
inline constexpr int IDS_QUEUE_COLUMN_FORMAT = 632;
inline constexpr int IDS_QUEUE_COLUMN_OPTIONS = 633;
inline constexpr int IDS_QUEUE_COLUMN_STATE = 634;
inline constexpr int IDS_QUEUE_WAITING = 635;
inline constexpr int IDS_QUEUE_CONVERTING = 636;
inline constexpr int IDS_QUEUE_DONE = 637;
inline constexpr int IDS_QUEUE_FAILED = 638;
inline constexpr int IDS_QUEUE_SKIPPED = 639;
inline constexpr int IDS_QUEUE_TIME_LEFT = 640;
inline constexpr int IDS_QUEUE_COUNTS = 641;
inline constexpr int IDS_QUEUE_EXISTS = 642;
inline constexpr int IDS_QUEUE_SUBFOLDERS = 643;
inline constexpr int IDS_QUEUE_FINISHED = 644;
inline constexpr int IDS_QUEUE_INHIBIT_REASON = 645;
inline constexpr int IDS_QUEUE_SOURCE_SIZE = 646;
inline constexpr int IDS_QUEUE_WMV_BITRATES = 647;
inline constexpr int IDS_QUEUE_UNCOMPRESSED = 648;
inline constexpr int IDS_QUEUE_NOT_KEPT = 649;
inline constexpr int IDS_MESSAGE_FOLDER_NOT_MADE = 404;
inline constexpr int IDS_MESSAGE_FOLDER_NOT_WRITABLE = 405;
inline constexpr int IDS_MESSAGE_RUN_NOT_STARTED = 406;
inline constexpr int IDS_MESSAGE_VIDEO_NOT_HELD = 407;
inline constexpr int IDS_MESSAGE_AUDIO_NOT_HELD = 408;
inline constexpr int IDS_MESSAGE_OPEN_FIRST = 409;
inline constexpr int IDS_MESSAGE_USED_TIME = 410;
inline constexpr int IDC_STATIC_ABOUT_NOTICE = 411;
inline constexpr int IDC_STATIC_ABOUT_SUPPORT = 412;
inline constexpr int IDC_STATIC_ABOUT_CREDITS = 413;
inline constexpr int IDS_ABOUT_VERSION = 414;
inline constexpr int IDS_FILTER_PROPERTIES_CAPTION = 415;
inline constexpr int IDS_BUTTON_CONTINUE = 416;
inline constexpr int IDS_SETTING_CRF = 417;
inline constexpr int IDS_SETTING_PRESET = 418;
inline constexpr int IDS_SETTING_PROFILE = 419;
inline constexpr int IDS_SETTING_TUNE = 420;
inline constexpr int IDS_SETTING_DEADLINE = 421;
inline constexpr int IDS_SETTING_SPEED = 422;
inline constexpr int IDS_HINT_QUALITY = 423;
inline constexpr int IDS_HINT_BITRATE = 424;
inline constexpr int IDS_HINT_KEYFRAMES = 425;
inline constexpr int IDS_HINT_PRESET = 426;
inline constexpr int IDS_HINT_PROFILE = 427;
inline constexpr int IDS_HINT_TUNE = 428;
inline constexpr int IDS_HINT_SPEED = 429;
inline constexpr int IDS_HINT_DEADLINE = 430;
inline constexpr int IDS_HINT_AUDIO_QUALITY = 431;
inline constexpr int IDS_HINT_AUDIO_BITRATE = 432;
inline constexpr int IDS_SETTINGS_ADVANCED = 433;
// Presets: the built-in ones' names and descriptions, and the words around presets.
inline constexpr int IDS_PRESET_PHONE_NAME = 700;
inline constexpr int IDS_PRESET_PHONE_DESCRIPTION = 701;
inline constexpr int IDS_PRESET_SEND_NAME = 702;
inline constexpr int IDS_PRESET_SEND_DESCRIPTION = 703;
inline constexpr int IDS_PRESET_KEEP_NAME = 704;
inline constexpr int IDS_PRESET_KEEP_DESCRIPTION = 705;
inline constexpr int IDS_PRESET_WEBM_NAME = 706;
inline constexpr int IDS_PRESET_WEBM_DESCRIPTION = 707;
inline constexpr int IDS_PRESET_AVI_NAME = 708;
inline constexpr int IDS_PRESET_AVI_DESCRIPTION = 709;
inline constexpr int IDS_PRESET_WMV_NAME = 710;
inline constexpr int IDS_PRESET_WMV_DESCRIPTION = 711;
inline constexpr int IDS_PRESET_REMUX_NAME = 712;
inline constexpr int IDS_PRESET_REMUX_DESCRIPTION = 713;
inline constexpr int IDS_PRESET_NONE = 722;
inline constexpr int IDS_PRESET_CHANGED = 725;
inline constexpr int IDS_PRESET_FIELD_SETTINGS = 736;
inline constexpr int IDS_PRESET_DELETE_QUESTION = 745;
inline constexpr int IDS_PRESET_NAME_TAKEN = 746;
inline constexpr int IDS_PRESET_NAME_INVALID = 747;
inline constexpr int IDS_PRESET_NOT_STORED = 748;
inline constexpr int IDS_PRESET_IMPORT_DAMAGED = 749;
inline constexpr int IDS_PRESET_IMPORT_NEWER = 750;
inline constexpr int IDS_PRESET_COMPRESSOR_MISSING = 751;
inline constexpr int IDS_PRESET_EXPORT_FAILED = 752;
inline constexpr int IDS_PRESET_FILE_FILTER = 753;
inline constexpr int IDS_PRESET_EXPORT_CAPTION = 754;
inline constexpr int IDS_PRESET_IMPORT_CAPTION = 755;
inline constexpr int IDS_PRESET_NOT_FOUND = 756;
inline constexpr int IDS_MESSAGE_SIZE_UNREACHABLE = 760;
inline constexpr int IDS_NOTE_OVER_SIZE_TARGET = 761;
inline constexpr int IDS_NOTE_SIZE_STOPPED = 762;
inline constexpr int IDS_NOTE_SIZE_NOT_KEPT = 763;
inline constexpr int IDS_QUEUE_TARGET_SIZE = 764;
inline constexpr int IDS_QUEUE_LONGER_SIDE = 765;
inline constexpr int IDS_NOTE_NOT_KEPT = 500;
inline constexpr int IDS_COUNT_AUDIO_TRACK = 501;
inline constexpr int IDS_COUNT_AUDIO_TRACKS = 502;
inline constexpr int IDS_COUNT_VIDEO_TRACK = 503;
inline constexpr int IDS_COUNT_VIDEO_TRACKS = 504;
inline constexpr int IDS_COUNT_SUBTITLE_TRACK = 505;
inline constexpr int IDS_COUNT_SUBTITLE_TRACKS = 506;
inline constexpr int IDS_COUNT_ATTACHMENT = 507;
inline constexpr int IDS_COUNT_ATTACHMENTS = 508;
inline constexpr int IDS_COUNT_CHAPTER = 509;
inline constexpr int IDS_COUNT_CHAPTERS = 510;
inline constexpr int IDS_NOTE_TRACKS_UNREADABLE = 511;
inline constexpr int IDS_TRACK_AUDIO = 512;
inline constexpr int IDS_TRACK_SUBTITLE = 513;
inline constexpr int IDS_NOTE_TRACKS_OVER_LIMIT = 514;
inline constexpr int IDS_AUDIO_TRACKS_ALL = 516;
inline constexpr int IDS_AUDIO_TRACKS_DEFAULT = 517;

inline constexpr const char* kProgramTitle = "Quorvel Video Converter";
inline constexpr const char* kIconResource = ":/quorvel/icon.png";

const ui::DialogTemplate& MainDialogTemplate();
const ui::MenuTemplate& ContextMenuTemplate();

// The built-in English string with this ID; empty when the table lacks it.
std::string BuiltInString(int id);

}  // namespace resources
