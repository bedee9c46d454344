#pragma once
#include <string>

namespace ui {
class Dialog;
}

namespace options {

// The stored path of (section, key), or a default in the user's special
// folder: the default path's file part appended to that folder (before OS
// version 6 the default path as it is). Reports, owned by `owner`, when the
// folder cannot be had, and falls back to the default path as it is.
std::string DefaultOutputPath(ui::Dialog* owner, int osMajorVersion, const std::string& section,
                              const std::string& key, const std::string& defaultPath, int folderId);

// The platform's stand-in for "c:\output.webm": output.webm in the home folder.
std::string FallbackOutputPath();

}  // namespace options
