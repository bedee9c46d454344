#pragma once
// The open-file, save-file and font choosers.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Font.h"

namespace ui {

class Dialog;

inline constexpr unsigned OFN_READONLY = 0x00000001;
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr unsigned OFN_HIDEREADONLY = 0x00000004;
inline constexpr unsigned OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr unsigned OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr unsigned OFN_EXPLORER = 0x00080000;

struct FileChooserRequest {
    Dialog* owner = nullptr;
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
    int filterIndex = 1;                                        // 1-based
    std::string initialFile;
    std::string initialDir;
    std::string title;
    unsigned flags = 0;
    std::string defaultExtension;
    bool multiple = false;  // the open chooser takes several files at once
};

// The chosen path, or nothing when the user cancels.
std::optional<std::string> GetOpenFileName(const FileChooserRequest& request);
std::optional<std::string> GetSaveFileName(const FileChooserRequest& request);
// The open chooser for `multiple` requests: the chosen paths, none when cancelled.
// Test automation answers with the paths one per line.
std::vector<std::string> GetOpenFileNames(const FileChooserRequest& request);

// The chosen font, or nothing when the user cancels.
std::optional<LogFont> ChooseFont(Dialog* owner, const LogFont& initial);

}  // namespace ui
