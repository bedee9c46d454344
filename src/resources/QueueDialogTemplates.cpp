#include "resources/QueueDialogTemplates.h"

#include "resources/Resources.h"

namespace resources {

using ui::ControlKind;
using namespace ui;  // style bits

const ui::DialogTemplate& QueueDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_QUEUE;
        d.caption = "Queue";
        d.rect = {0, 0, 500, 222};
        d.controls = {
            {IDC_LIST_QUEUE, ControlKind::ListView, "", {7, 7, 486, 150}, kTabStop},
            {IDC_STATIC_QUEUE_SUMMARY, ControlKind::Static, "", {7, 160, 486, 10}, kNoPrefix},
            {IDC_BUTTON_QUEUE_ADD, ControlKind::PushButton, "Add", {7, 175, 76, 16}, kTabStop},
            {IDC_BUTTON_QUEUE_REMOVE,
             ControlKind::PushButton,
             "Remove",
             {89, 175, 76, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_UP, ControlKind::PushButton, "Move up", {171, 175, 76, 16}, kTabStop},
            {IDC_BUTTON_QUEUE_DOWN,
             ControlKind::PushButton,
             "Move down",
             {253, 175, 76, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_RETRY,
             ControlKind::PushButton,
             "Retry failed",
             {335, 175, 76, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_CLEAR,
             ControlKind::PushButton,
             "Clear done",
             {417, 175, 76, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_START,
             ControlKind::DefPushButton,
             "Start",
             {7, 198, 76, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_STOP, ControlKind::PushButton, "Stop", {89, 198, 76, 16}, kTabStop},
            {IDC_BUTTON_QUEUE_APPLY,
             ControlKind::PushButton,
             "Apply current Options to waiting jobs",
             {171, 198, 240, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_CLOSE,
             ControlKind::PushButton,
             "Close",
             {417, 198, 76, 16},
             kTabStop},
        };
        return d;
    }();
    return t;
}

const ui::DialogTemplate& QueueExistsDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_QUEUE_EXISTS;
        d.caption = kProgramTitle;
        d.rect = {0, 0, 326, 82};
        d.controls = {
            {IDC_STATIC_QUEUE_EXISTS, ControlKind::Static, "", {7, 7, 312, 44}, kWrap | kNoPrefix},
            {IDC_BUTTON_QUEUE_REPLACE_ALL,
             ControlKind::DefPushButton,
             "Replace all",
             {7, 58, 75, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_SKIP,
             ControlKind::PushButton,
             "Skip them",
             {86, 58, 75, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_KEEP_BOTH,
             ControlKind::PushButton,
             "Keep both",
             {165, 58, 75, 16},
             kTabStop},
            {IDC_BUTTON_QUEUE_CANCEL,
             ControlKind::PushButton,
             "Cancel",
             {244, 58, 75, 16},
             kTabStop},
        };
        return d;
    }();
    return t;
}

}  // namespace resources
