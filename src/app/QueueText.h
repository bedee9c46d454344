#pragma once
// What the Queue window's rows and its summary line say.
#include <cstdint>
#include <string>

#include "app/Queue.h"

namespace app {

// "Waiting", "Converting: 42%, 00:01:10 left", "Done: 12.4 MB", "Failed: <why>"...
std::string StateText(const QueueEntry& entry);
// The options a job keeps: its compressors with the settings changed in them,
// or the WMV bitrates and frame size.
std::string OptionsText(const engine::Job& job);
// "1.2 GB", "12.4 MB", "850 kB".
std::string SizeText(std::int64_t bytes);
// The time left for the whole queue while it runs (`secondsLeft` >= 0), else
// how many jobs wait, are done and failed.
std::string SummaryText(const Queue& queue, std::int64_t secondsLeft);

}  // namespace app
