#include "cli/JobRuns.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>

#include "cli/ExitCode.h"
#include "cli/ProgressLine.h"
#include "cli/Setup.h"
#include "engine/Conversion.h"
#include "engine/CutTimes.h"
#include "engine/RunNotes.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "options/OutputFormat.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Time.h"
#include "platform/media/Media.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

std::string Seconds(std::int64_t units) {
    return StrFormat("%.1f s", units / static_cast<double>(kHundredNsPerSecond));
}

// `subject` (the source) starts the line but not the summary's reason.
JobOutcome Failed(const std::string& reason, const std::string& subject = {}) {
    std::fprintf(stderr, "quorvel-converter: %s%s\n", subject.c_str(), reason.c_str());
    return {kFailed, "failed", reason};
}

// How long the part the job converts is: progress and time left count it.
std::int64_t PartLength(const engine::Conversion& c) {
    return engine::PartLength(c.job().cutStart, c.job().cutStop, c.source().duration);
}

// Wakes the main thread when any graph has an event.
struct Wakeup {
    std::mutex mutex;
    std::condition_variable changed;
    bool pending = false;
    void Notify() {
        {
            std::lock_guard lock(mutex);
            pending = true;
        }
        changed.notify_one();
    }
    void Wait(std::chrono::milliseconds most) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, most, [this] { return pending; });
        pending = false;
    }
};

struct Running {
    std::size_t index;
    std::unique_ptr<TerminalReporter> reporter;
    std::unique_ptr<engine::Conversion> conversion;
    ProgressLine line;
    Clock::time_point start = Clock::now();
    double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start).count(); }
};

// What the ended run's event says, as the outcome and its lines on standard error.
JobOutcome Finish(Running& run, const engine::RunEnd& end) {
    engine::Conversion& c = *run.conversion;
    const std::string& output = c.job().output;
    const std::int64_t duration = PartLength(c);
    if (end.code == media::EC_COMPLETE) {
        // The last frame's position falls short of the duration by its own
        // length; a source that ended early shows where it ended.
        const bool early = end.result == media::QV_S_SOURCE_ENDED_EARLY;
        run.line.Show(
            engine::MeasureProgress(early ? end.reached : duration, duration, run.Elapsed()));
    }
    run.line.Finish();
    const std::string keptAside = c.KeptAside();
    JobOutcome outcome{kDone, "done", {}};
    if (end.code == media::EC_USERABORT && engine::AsksForSize(engine::SettingsOf(c.job()))) {
        outcome = Failed("stopped; " + i18n::StringText(resources::IDS_NOTE_SIZE_STOPPED));
        outcome.group = "stopped";
        outcome.reason.clear();
    } else if (end.code == media::EC_USERABORT) {
        outcome = Failed(keptAside.empty()
                             ? "stopped; the part converted so far is in " + output
                             : "stopped; " + output +
                                   " is left as it was, and the part converted so far is in " +
                                   keptAside);
        outcome.group = "stopped";
        outcome.reason.clear();
    } else if (end.code != media::EC_COMPLETE) {
        outcome = Failed(engine::WithReason(
            media::ErrorText(FAILED(end.result) ? end.result : E_FAIL), end.reason));
    } else if (end.result == media::QV_S_SOURCE_ENDED_EARLY) {
        outcome.reason = StrFormat("%s at %s of %s", media::ErrorText(end.result).c_str(),
                                   Seconds(end.reached).c_str(), Seconds(duration).c_str());
        std::fprintf(stderr, "quorvel-converter: %s: at %s of %s; %s is kept.\n",
                     media::ErrorText(end.result).c_str(), Seconds(end.reached).c_str(),
                     Seconds(duration).c_str(), output.c_str());
        outcome.code = kSourceEnded;
        outcome.group = "ended early";
    }
    if (end.code == media::EC_COMPLETE && !keptAside.empty()) {
        outcome.reason = i18n::FormatText(resources::IDS_MESSAGE_OUTPUT_APPEARED, output.c_str(),
                                          keptAside.c_str());
        std::fprintf(stderr, "quorvel-converter: %s\n", outcome.reason.c_str());
        outcome.code = kOutputExists;
        outcome.group = "kept beside an output that appeared";
    }
    // What the run went without or worked around is said whatever the end.
    const std::string notes = engine::RunNotesText(end.notes, c.job().format);
    if (outcome.code == kDone)
        std::fprintf(stderr, "Done: %s%s%s\n", output.c_str(), notes.empty() ? "" : "  ",
                     notes.c_str());
    else if (!notes.empty())
        std::fprintf(stderr, "quorvel-converter: %s\n", notes.c_str());
    return outcome;
}

}  // namespace

std::vector<JobOutcome> RunJobs(const std::vector<engine::Job>& jobs, int atOnce, bool terminal) {
    std::vector<JobOutcome> outcomes(jobs.size());
    std::vector<std::unique_ptr<Running>> running;
    Wakeup wakeup;
    const bool alone = atOnce == 1 || jobs.size() == 1;
    // Runs at once share the cores: each told to use all of them, they wait on each other.
    media::ShareCoresAmong(static_cast<int>(std::min<std::size_t>(atOnce, jobs.size())));
    shell::CatchInterrupts();
    std::size_t next = 0;
    while (next < jobs.size() || !running.empty()) {
        const bool interrupted = shell::InterruptRequested();
        while (!interrupted && next < jobs.size() &&
               running.size() < static_cast<std::size_t>(atOnce)) {
            const engine::Job& job = jobs[next];
            const std::size_t index = next++;
            std::fprintf(stderr, "%s -> %s (%s)\n", job.source.c_str(), job.output.c_str(),
                         engine::FormatRow(job.format).name);
            auto run = std::make_unique<Running>(
                Running{index, std::make_unique<TerminalReporter>(), nullptr,
                        ProgressLine(stderr, alone && terminal,
                                     alone ? "" : paths::FileNameOf(job.source) + ": ")});
            run->conversion = std::make_unique<engine::Conversion>(job, *run->reporter);
            HRESULT hr = run->conversion->Open();
            if (FAILED(hr)) {
                outcomes[index] = Failed(hr == media::VFW_E_INVALID_FILE_FORMAT
                                             ? "not a media file this program can read"
                                             : "could not be opened for conversion",
                                         job.source + ": ");
                continue;
            }
            // The part to convert is checked against this source's length.
            const std::int64_t length = run->conversion->source().duration;
            if (const engine::CutCheck check =
                    engine::CheckCutPlace(job.cutStart, job.cutStop, length);
                check != engine::CutCheck::Ok) {
                const std::string text = engine::CutCheckText(check, length);
                std::fprintf(stderr, "quorvel-converter: %s%s\n",
                             alone ? "" : (job.source + ": ").c_str(), text.c_str());
                outcomes[index] = {kUsage, "failed", text};
                continue;
            }
            hr = run->conversion->Start([&wakeup] { wakeup.Notify(); });
            if (hr == media::QV_E_SIZE_UNREACHABLE) {
                outcomes[index] = Failed(run->conversion->SizeRefusal(),
                                         alone ? std::string() : job.source + ": ");
                continue;
            }
            if (FAILED(hr)) {
                outcomes[index] = Failed(
                    engine::WithReason("the conversion did not start: " + media::ErrorText(hr),
                                       run->conversion->RunFailureReason()));
                continue;
            }
            running.push_back(std::move(run));
        }
        wakeup.Wait(std::chrono::milliseconds(200));
        if (shell::InterruptRequested())
            // The part written so far is kept, beside an older output: no signal
            // costs the person a finished file.
            for (auto& run : running) run->conversion->Stop(true);
        for (auto it = running.begin(); it != running.end();) {
            Running& run = **it;
            if (const auto end = run.conversion->TakeEnd()) {
                outcomes[run.index] = Finish(run, *end);
                run.conversion->Close();
                it = running.erase(it);
                continue;
            }
            run.line.Show(engine::MeasureProgress(
                run.conversion->Written(), PartLength(*run.conversion), run.Elapsed()));
            ++it;
        }
        if (shell::InterruptRequested() && running.empty()) break;
    }
    return outcomes;
}

}  // namespace cli
