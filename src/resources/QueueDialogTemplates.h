#pragma once
// The queue's windows: the Queue window with its list of jobs, and the one
// question asked about outputs that exist already.
#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDD_QUEUE = 601;
inline constexpr int IDC_LIST_QUEUE = 602;
inline constexpr int IDC_STATIC_QUEUE_SUMMARY = 603;
inline constexpr int IDC_BUTTON_QUEUE_ADD = 604;
inline constexpr int IDC_BUTTON_QUEUE_REMOVE = 605;
inline constexpr int IDC_BUTTON_QUEUE_UP = 606;
inline constexpr int IDC_BUTTON_QUEUE_DOWN = 607;
inline constexpr int IDC_BUTTON_QUEUE_RETRY = 608;
inline constexpr int IDC_BUTTON_QUEUE_CLEAR = 609;
inline constexpr int IDC_BUTTON_QUEUE_START = 610;
inline constexpr int IDC_BUTTON_QUEUE_STOP = 611;
inline constexpr int IDC_BUTTON_QUEUE_APPLY = 612;
inline constexpr int IDC_BUTTON_QUEUE_CLOSE = 613;

inline constexpr int IDD_QUEUE_EXISTS = 614;
inline constexpr int IDC_STATIC_QUEUE_EXISTS = 615;
inline constexpr int IDC_BUTTON_QUEUE_REPLACE_ALL = 616;
inline constexpr int IDC_BUTTON_QUEUE_SKIP = 617;
inline constexpr int IDC_BUTTON_QUEUE_KEEP_BOTH = 618;
inline constexpr int IDC_BUTTON_QUEUE_CANCEL = 619;

const ui::DialogTemplate& QueueDialogTemplate();
const ui::DialogTemplate& QueueExistsDialogTemplate();

}  // namespace resources
