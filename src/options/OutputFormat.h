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

// The output a newly opened source gets: its base name, in the folder of
// `outputPath`, with the format's extension. A name that would be the source
// itself takes " (1)" after the base name.
std::string OutputPathForSource(int format, const std::string& outputPath,
                                const std::string& sourcePath);

// The options dialog's Browse: a save chooser for the format, suggesting the
// name in the path field in its folder; a confirmed choice goes through
// ForceOutputExtension into the path field.
void BrowseOutputFile(ui::Dialog& dialog, int format, int pathFieldId);

}  // namespace options
