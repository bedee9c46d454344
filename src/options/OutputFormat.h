#pragma once
// Output file naming: a path forced to a format's extension, and the save chooser.
#include <string>

#include "engine/OutputFormat.h"

namespace ui {
class Dialog;
}

namespace options {

// Rewrites `path` to end in the format's extension. Only a dot in the file
// name counts, never one in a folder name. For a format outside the table shows
// "Does not support the video format" (unowned) and leaves `destination` as it was.
bool ForceOutputExtension(int format, const std::string& path, std::string& destination);

// The options dialog's Browse: a save chooser for the format, starting in the
// folder of `dialogOutputPath`; a confirmed choice goes through
// ForceOutputExtension into the dialog's path field.
void BrowseOutputFile(ui::Dialog& dialog, int format, const std::string& dialogOutputPath,
                      int pathFieldId);

}  // namespace options
