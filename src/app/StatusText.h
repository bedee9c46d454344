#pragma once
// The main window's source and status lines.
#include <cstdint>
#include <string>

namespace app {

// "name: hh:mm:ss" of a source.
std::string SourceLine(const std::string& fileName, std::int64_t seconds);
// "hh:mm:ss".
std::string ClockText(std::int64_t seconds);
// Output file and original size: after start-up, and after options with no source size.
std::string InitialStatusLine(const std::string& outputPath);
// Output file and frame size, after options when the source size is known.
std::string SizedStatusLine(const std::string& outputPath, int width, int height);
std::string ProgressStatusLine(int elapsedSeconds);
// The completion line; `firstField` is the "Done" (or "Error") text.
std::string EndStatusLine(const std::string& firstField, const std::string& outputPath, int width,
                          int height);

// The part of a path up to and including its last separator; empty if none.
std::string FolderOf(const std::string& path);
// File name and extension of a path.
std::string FileNameOf(const std::string& path);

}  // namespace app
