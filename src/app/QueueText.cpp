#include "app/QueueText.h"

#include "app/StatusText.h"
#include "engine/CutTimes.h"
#include "engine/OutputFormat.h"
#include "engine/Preset.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "platform/Format.h"
#include "resources/Resources.h"

namespace app {

using i18n::FormatText;
using i18n::StringText;
using namespace resources;

std::string SizeText(std::int64_t bytes) {
    const double b = static_cast<double>(bytes);
    if (b >= 1e9) return StrFormat("%.1f GB", b / 1e9);
    if (b >= 1e6) return StrFormat("%.1f MB", b / 1e6);
    return StrFormat("%.0f kB", b / 1e3);
}

std::string StateText(const QueueEntry& entry) {
    switch (entry.state) {
        case JobState::Waiting:
            return StringText(IDS_QUEUE_WAITING);
        case JobState::Converting:
            return FormatText(
                IDS_QUEUE_CONVERTING, entry.percent,
                entry.secondsLeft < 0 ? "--:--:--" : ClockText(entry.secondsLeft).c_str());
        case JobState::Done: {
            std::string text = FormatText(IDS_QUEUE_DONE, SizeText(entry.bytes).c_str());
            if (!entry.keptAside.empty()) text += " (" + entry.keptAside + ")";
            return entry.note.empty() ? text : text + "  " + entry.note;
        }
        case JobState::Failed:
            return FormatText(IDS_QUEUE_FAILED, entry.note.c_str());
        case JobState::Stopped:
            return StringText(IDS_MESSAGE_CONVERSION_STOPPED);
        case JobState::EndedEarly:
            return entry.note;
        case JobState::Skipped:
            return FormatText(IDS_QUEUE_SKIPPED, entry.note.c_str());
    }
    return {};
}

std::string OptionsText(const engine::Job& job) {
    auto compressor = [](const engine::CompressorChoice& choice) {
        if (choice.keep) return StringText(IDS_KEEP_ORIGINAL_STREAM);
        if (choice.name.empty()) return StringText(IDS_QUEUE_UNCOMPRESSED);
        std::string text = choice.name;
        std::string changed;
        for (const auto& [name, value] : choice.settings)
            changed += (changed.empty() ? "" : ", ") + name + "=" + value;
        return changed.empty() ? text : text + " (" + changed + ")";
    };
    // The part converted, when not the whole source.
    const std::string part =
        job.cutStart > 0 || job.cutStop > 0
            ? ", " + engine::ClockTimeText(job.cutStart) + " - " +
                  (job.cutStop > 0 ? engine::ClockTimeText(job.cutStop) : std::string())
            : std::string();
    // The preset it came from, and the size and largest side asked for (a size its
    // format or its kept picture cannot take is said when the job ends).
    std::string asked;
    if (engine::AsksForSize(engine::SettingsOf(job)))
        asked += ", " + FormatText(IDS_QUEUE_TARGET_SIZE, job.targetSizeMB);
    if (job.longerSideAtMost > 0)
        asked += ", " + FormatText(IDS_QUEUE_LONGER_SIDE, job.longerSideAtMost);
    const engine::Preset* builtIn = engine::FindBuiltInPreset(job.preset);
    const std::string preset =
        job.preset.empty() ? std::string()
                           : (builtIn ? engine::PresetTitle(*builtIn) : job.preset) + ": ";
    if (job.format != engine::kWmv)
        return preset + compressor(job.video) + " + " + compressor(job.audio) + asked + part;
    // Only the Windows Media writer scales: the size matters there alone.
    const std::string size = job.width > 0 && job.height > 0
                                 ? StrFormat("%d*%d", job.width, job.height)
                                 : StringText(IDS_QUEUE_SOURCE_SIZE);
    return preset +
           FormatText(IDS_QUEUE_WMV_BITRATES, job.videoBitrate / 1024, job.audioBitrate / 1000) +
           ", " + size + asked + part;
}

std::string SummaryText(const Queue& queue, std::int64_t secondsLeft) {
    const std::string notKept = queue.kept() ? "" : "    " + StringText(IDS_QUEUE_NOT_KEPT);
    if (secondsLeft >= 0)
        return FormatText(IDS_QUEUE_TIME_LEFT, ClockText(secondsLeft).c_str()) + notKept;
    int waiting = 0, done = 0, failed = 0;
    for (const QueueEntry& entry : queue.entries()) {
        if (entry.state == JobState::Waiting || entry.state == JobState::Converting) ++waiting;
        if (entry.state == JobState::Done || entry.state == JobState::EndedEarly) ++done;
        if (entry.state == JobState::Failed) ++failed;
    }
    return FormatText(IDS_QUEUE_COUNTS, waiting, done, failed) + notKept;
}

}  // namespace app
