#pragma once
#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDD_FILTER_PROPERTIES = 133;
inline constexpr int IDC_LIST_FILTERS = 1054;
inline constexpr int IDC_BUTTON_FILTER_SETTINGS = 1055;

const ui::DialogTemplate& FilterPropertiesTemplate();

}  // namespace resources
