#include "app/QueueRun.h"

#include <filesystem>

#include "app/ExistingOutputsQuestion.h"
#include "app/StatusText.h"
#include "engine/Conversion.h"
#include "engine/CutTimes.h"
#include "engine/RunNotes.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "platform/Path.h"
#include "platform/Time.h"
#include "platform/media/Media.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "resources/QueueDialogTemplates.h"
#include "resources/Resources.h"

namespace app {

using namespace resources;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t SizeOf(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// A message on one line, as a row shows it.
std::string OneLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, ": ");
    return text;
}

}  // namespace

void JobNotes::Say(Kind, const std::string& text, const std::string&) { said = OneLine(text); }

QueueRun::QueueRun(Queue& queue, ui::Dialog& window) : queue_(queue), window_(window) {}

QueueRun::~QueueRun() = default;

int QueueRun::Current() const {
    for (std::size_t i = 0; i < queue_.size(); ++i)
        if (queue_.entries()[i].state == JobState::Converting) return static_cast<int>(i);
    return -1;
}

bool QueueRun::SettleExistingOutputs() {
    std::vector<std::size_t> inTheWay;
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        const QueueEntry& entry = queue_.entries()[i];
        if (entry.state == JobState::Waiting && !entry.job.replaceAllowed &&
            Exists(entry.job.output))
            inTheWay.push_back(i);
    }
    if (inTheWay.empty()) return true;
    if (answer_ == Answer::Ask) {
        const std::string& first = queue_.entries()[inTheWay.front()].job.output;
        ui::Dialog* owner = ui::ActiveDialog() ? ui::ActiveDialog() : &window_;
        switch (AskAboutExistingOutputs(owner, static_cast<int>(inTheWay.size()), first)) {
            case IDC_BUTTON_QUEUE_REPLACE_ALL:
                answer_ = Answer::Replace;
                break;
            case IDC_BUTTON_QUEUE_SKIP:
                answer_ = Answer::Skip;
                break;
            case IDC_BUTTON_QUEUE_KEEP_BOTH:
                answer_ = Answer::KeepBoth;
                break;
            default:
                return false;
        }
    }
    for (const std::size_t i : inTheWay) {
        QueueEntry& entry = queue_.at(i);
        if (answer_ == Answer::Replace) {
            entry.job.replaceAllowed = true;
        } else if (answer_ == Answer::Skip) {
            entry.state = JobState::Skipped;
            entry.note = paths::FileNameOf(entry.job.output);
        } else {
            entry.job.output = queue_.FreeNameBeside(i);
        }
    }
    queue_.Changed();
    return true;
}

void QueueRun::Start() {
    if (active_ || queue_.NextWaiting() < 0) return;
    answer_ = Answer::Ask;
    if (!SettleExistingOutputs()) return;
    active_ = true;
    stopping_ = false;
    done_ = failed_ = 0;
    inhibitor_.Acquire(resources::kProgramTitle, i18n::StringText(IDS_QUEUE_INHIBIT_REASON));
    RunNext();
}

void QueueRun::Fail(QueueEntry& entry, const std::string& reason) {
    entry.state = JobState::Failed;
    entry.note = OneLine(reason);
    ++failed_;
}

void QueueRun::RunNext() {
    // A job added meanwhile may find its output in the way: the run's answer holds.
    while (SettleExistingOutputs()) {
        const int next = queue_.NextWaiting();
        if (next < 0) break;
        QueueEntry& entry = queue_.at(static_cast<std::size_t>(next));
        entry.state = JobState::Converting;
        entry.percent = 0;
        entry.secondsLeft = -1;
        queue_.Changed();
        notes_.said.clear();
        conversion_ = std::make_unique<engine::Conversion>(entry.job, notes_);
        HRESULT hr = conversion_->Open();
        if (SUCCEEDED(hr)) {
            entry.duration = engine::PartLength(entry.job.cutStart, entry.job.cutStop,
                                                conversion_->source().duration);
            hr = conversion_->Start(window_.Poster(QueueEventMessage));
            if (SUCCEEDED(hr)) {
                started_ = Clock::now();
                window_.SetTimer(QueueTimer, 1000);
                return;
            }
        }
        Fail(entry, !notes_.said.empty() ? notes_.said
                                         : engine::WithReason(media::ErrorText(hr),
                                                              conversion_->RunFailureReason()));
        conversion_.reset();
        queue_.Changed();
    }
    EndRun(!stopping_ && queue_.NextWaiting() < 0);
}

void QueueRun::OnGraphEvent() {
    if (!conversion_) return;
    if (const auto end = conversion_->TakeEnd()) Finish(*end);
}

void QueueRun::Finish(const engine::RunEnd& end) {
    window_.KillTimer(QueueTimer);
    const int current = Current();
    if (current >= 0) {
        QueueEntry& entry = queue_.at(static_cast<std::size_t>(current));
        entry.keptAside = conversion_->KeptAside();
        const std::string written = entry.keptAside.empty() ? entry.job.output : entry.keptAside;
        entry.note.clear();
        if (end.code == media::EC_COMPLETE) {
            entry.state = JobState::Done;
            if (end.result == media::QV_S_SOURCE_ENDED_EARLY) {
                entry.state = JobState::EndedEarly;
                entry.note =
                    i18n::FormatText(IDS_MESSAGE_SOURCE_ENDED_EARLY,
                                     ClockText(end.reached / kHundredNsPerSecond).c_str(),
                                     ClockText(entry.duration / kHundredNsPerSecond).c_str());
            }
            // What the run went without or worked around (damaged frames...).
            if (const std::string notes = engine::RunNotesText(end.notes, entry.job.format); !notes.empty())
                entry.note += (entry.note.empty() ? "" : "  ") + notes;
            entry.bytes = SizeOf(written);
            ++done_;
        } else if (end.code == media::EC_USERABORT) {
            entry.state = JobState::Stopped;
            entry.bytes = SizeOf(written);
        } else {
            const auto hr = FAILED(end.result) ? end.result : E_FAIL;
            Fail(entry, engine::WithReason(
                            hr == media::HRESULT_DISK_FULL
                                ? i18n::FormatText(IDS_MESSAGE_DISK_FULL,
                                                   paths::FolderOf(entry.job.output).c_str())
                                : media::ErrorText(hr),
                            end.reason));
        }
    }
    conversion_->Close();
    conversion_.reset();
    queue_.Changed();
    if (stopping_)
        EndRun(false);
    else
        RunNext();
}

void QueueRun::Stop() {
    if (!conversion_) return;
    stopping_ = true;
    conversion_->Stop(false);
    OnGraphEvent();
}

void QueueRun::EndRun(bool finished) {
    if (!active_) return;
    active_ = false;
    window_.KillTimer(QueueTimer);
    inhibitor_.Release();
    if (finished && done_ + failed_ > 0) {
        std::string title = i18n::LanguagePack::Instance().DialogText(IDD_MAIN);
        desktop::Notify(title.empty() ? kProgramTitle : title,
                        i18n::FormatText(IDS_QUEUE_FINISHED, done_, failed_));
    }
    queue_.Updated();
}

void QueueRun::OnTick() {
    const int current = Current();
    if (!conversion_ || current < 0) return;
    if (const auto end = conversion_->TakeEnd()) {  // should its announcement have gone astray
        Finish(*end);
        return;
    }
    QueueEntry& entry = queue_.at(static_cast<std::size_t>(current));
    const double elapsed = std::chrono::duration<double>(Clock::now() - started_).count();
    const engine::RunProgress progress =
        engine::MeasureProgress(conversion_->Written(), entry.duration, elapsed);
    entry.percent = static_cast<int>(progress.fraction * 100);
    entry.secondsLeft = progress.secondsLeft;
    queue_.Updated();
}

std::int64_t QueueRun::SecondsLeft() const {
    const int current = Current();
    if (!conversion_ || current < 0) return -1;
    const QueueEntry& running = queue_.entries()[static_cast<std::size_t>(current)];
    const double elapsed = std::chrono::duration<double>(Clock::now() - started_).count();
    const std::int64_t written = conversion_->Written();
    const engine::RunProgress progress =
        engine::MeasureProgress(written, running.duration, elapsed);
    if (progress.speed <= 0) return -1;
    std::int64_t media = std::max<std::int64_t>(running.duration - written, 0);
    for (const QueueEntry& entry : queue_.entries())
        if (entry.state == JobState::Waiting) media += entry.duration;
    return static_cast<std::int64_t>(
        media / static_cast<double>(kHundredNsPerSecond) / progress.speed + 0.5);
}

}  // namespace app
