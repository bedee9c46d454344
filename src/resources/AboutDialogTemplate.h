#pragma once
// The About box: the program's name, version, ownership and support lines.
#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDC_STATIC_VERSION = 1044;
inline constexpr int IDC_STATIC_PROGRAM_NAME = 1045;

inline constexpr const char* kVersionText = "Version 2.0";
inline constexpr const char* kOwnershipNotice =
    "Copyright (C) 2024 Quorvel Studio. All rights reserved.";
inline constexpr const char* kSupportAddress = "Support: support@quorvel.example";
inline constexpr const char* kAttribution =
    "Portions of this program use the Windows Media technologies. "
    "Copyright (C) Microsoft Corporation. All rights reserved.";

// Template 100.
const ui::DialogTemplate& AboutDialogTemplate();

}  // namespace resources
