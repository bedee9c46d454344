#pragma once
// The About box: the program's name, version, ownership and support lines.
#include "ProgramInfo.h"
#include "platform/ui/Template.h"

namespace resources {

inline constexpr int IDC_STATIC_VERSION = 1044;
inline constexpr int IDC_STATIC_PROGRAM_NAME = 1045;

inline constexpr const char* kVersionText = program::kVersionLine;
inline constexpr const char* kOwnershipNotice =
    "Copyright (C) 2026 Quorvel Studio. All rights reserved.";
inline constexpr const char* kSupportAddress = "Support: support@quorvel.example";
inline constexpr const char* kAttribution =
    "Media work by the FFmpeg libraries (LGPL); windows by Qt (LGPL). "
    "Windows Media formats through FFmpeg's WMA and WMV encoders.";

// Template 100.
const ui::DialogTemplate& AboutDialogTemplate();

}  // namespace resources
