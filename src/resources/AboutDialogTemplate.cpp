#include "resources/AboutDialogTemplate.h"

#include "resources/Resources.h"

namespace resources {

using ui::ControlKind;
using namespace ui;  // style bits

const ui::DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_ABOUTBOX;
        d.caption = "About";
        d.rect = {0, 0, 236, 153};
        d.fontFace = "MS Sans Serif";
        d.fontPoints = 8;
        d.systemMenu = true;
        d.minimizeBox = false;
        // An icon control names the icon it shows in its text, as its resource does.
        d.controls = {
            {-1, ControlKind::Icon, kIconResource, {11, 17, 20, 20}, 0},
            {IDC_STATIC_PROGRAM_NAME, ControlKind::Static, kProgramTitle, {56, 10, 173, 17},
             kNoPrefix | kCenterVertical},
            {IDC_STATIC_VERSION, ControlKind::Static, kVersionText, {56, 31, 173, 14}, 0},
            {IDC_STATIC_ABOUT_NOTICE, ControlKind::Static, kOwnershipNotice, {56, 49, 173, 26}, kWrap},
            {IDC_STATIC_ABOUT_SUPPORT, ControlKind::Static, kSupportAddress, {56, 79, 173, 14}, 0},
            {IDC_STATIC_ABOUT_CREDITS, ControlKind::Static, kAttribution, {56, 97, 173, 29}, kWrap},
            {1 /* IDOK */, ControlKind::DefPushButton, "OK", {92, 132, 50, 14}, kTabStop},
        };
        return d;
    }();
    return t;
}

}  // namespace resources
