#include "resources/FilterPropertiesTemplate.h"

namespace resources {

const ui::DialogTemplate& FilterPropertiesTemplate() {
    using namespace ui;
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = IDD_FILTER_PROPERTIES;
        d.caption = "Set Filter's Properties";
        d.rect = {0, 0, 187, 196};
        d.controls = {
            {IDC_LIST_FILTERS, ControlKind::ListBox, "", {7, 7, 173, 159},
             kTabStop | kNotify | kVScroll},
            {IDC_BUTTON_FILTER_SETTINGS, ControlKind::PushButton, "&Settings", {13, 175, 66, 14},
             kTabStop | kDisabled},
            {2, ControlKind::PushButton, "&Continue", {103, 175, 66, 14}, kTabStop},
        };
        return d;
    }();
    return t;
}

}  // namespace resources
