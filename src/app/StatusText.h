#pragma once
// The main window's source and status lines.
#include <cstdint>
#include <string>
#include <vector>

namespace app {

// "hh:mm:ss"; the source line is the file name, ": " and this.
std::string ClockText(std::int64_t seconds);
// Output file and original size: after start-up, and after options with no source size.
std::string InitialStatusLine(const std::string& outputPath);
// Output file and frame size, after options when the source size is known.
std::string SizedStatusLine(const std::string& outputPath, int width, int height);
std::string ProgressStatusLine(int elapsedSeconds);
// The used time, then the part done and the time left: "... 00:00:12     42%     Time left:
// 00:00:17". A time left below 0 is not known yet and shows as "--:--:--".
std::string RunProgressLine(int elapsedSeconds, int percent, std::int64_t secondsLeft);
// For a source of unknown length, the used time and the time written:
// "... 00:00:12     Written: 00:00:05".
std::string RunWrittenLine(int elapsedSeconds, std::int64_t writtenSeconds);
// The window title during a run: "42% – <title>", so that the taskbar shows it.
std::string RunProgressCaption(int percent, const std::string& title);
// The completion line; `firstField` is the "Done" (or "Error") text.
std::string EndStatusLine(const std::string& firstField, const std::string& outputPath, int width,
                          int height);
// What the completion line adds about compressor settings a run went without: the
// stored ones out of the encoder's range, and the compressors whose encoder
// refused the chosen ones; empty when there are none.
std::string SettingsNote(const std::vector<std::string>& notUsed,
                         const std::vector<std::string>& refusedBy);

struct FrameSize {
    int width = 0;
    int height = 0;
};
// The frame size a run writes: a scaling writer (WMV) takes the settings' size, odd
// sides losing a line; every other writer keeps the source's frames, with odd
// sides losing a line when `evenSides` (MP4).
FrameSize WrittenFrameSize(bool scaled, FrameSize settings, FrameSize source,
                           bool evenSides = false);

}  // namespace app
