#include "app/Queue.h"

#include <algorithm>
#include <filesystem>

#include "options/OutputNames.h"
#include "platform/media/FilterGraph.h"

namespace app {

void Queue::Add(engine::Job job, std::int64_t duration) {
    QueueEntry entry;
    entry.job = std::move(job);
    entry.duration = duration;
    entries_.push_back(std::move(entry));
    const std::size_t added = entries_.size() - 1;
    entries_[added].job.output = FreeName(entries_[added].job.output, added);
    // A waiting job aimed at the new source makes way: no source is written over.
    for (std::size_t i = 0; i < added; ++i)
        if (entries_[i].state == JobState::Waiting)
            entries_[i].job.output = FreeName(entries_[i].job.output, i);
    Changed();
}

std::vector<std::string> Queue::Taken(std::size_t except) const {
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        taken.push_back(entries_[i].job.source);
        if (i != except) taken.push_back(entries_[i].job.output);
    }
    return taken;
}

std::string Queue::FreeName(const std::string& wanted, std::size_t except) const {
    return options::FreeOutputName(wanted, Taken(except));
}

std::string Queue::FreeNameBeside(std::size_t index) const {
    std::vector<std::string> taken = Taken(index);
    std::string name = entries_.at(index).job.output;
    std::error_code ec;
    while (std::filesystem::exists(std::filesystem::symlink_status(name, ec))) {
        taken.push_back(name);
        name = options::FreeOutputName(name, taken);
    }
    return name;
}

bool Queue::Remove(std::size_t index) {
    if (index >= entries_.size() || entries_[index].state == JobState::Converting) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    Changed();
    return true;
}

bool Queue::Move(std::size_t index, int by) {
    const auto to = static_cast<std::ptrdiff_t>(index) + by;
    if (index >= entries_.size() || entries_[index].state == JobState::Converting || to < 0 ||
        to >= static_cast<std::ptrdiff_t>(entries_.size()))
        return false;
    std::swap(entries_[index], entries_[static_cast<std::size_t>(to)]);
    Changed();
    return true;
}

void Queue::RetryFailed() {
    for (QueueEntry& entry : entries_)
        if (entry.state == JobState::Failed || entry.state == JobState::Stopped ||
            entry.state == JobState::Skipped) {
            entry.state = JobState::Waiting;
            entry.note.clear();
            entry.keptAside.clear();
        }
    Changed();
}

void Queue::ClearDone() {
    std::erase_if(entries_, [](const QueueEntry& entry) {
        return entry.state == JobState::Done || entry.state == JobState::EndedEarly;
    });
    Changed();
}

void Queue::ApplyToWaiting(const std::function<engine::Job(const engine::Job&)>& make) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].state == JobState::Waiting) {
            entries_[i].job = make(entries_[i].job);
            entries_[i].job.output = FreeName(entries_[i].job.output, i);
        }
    Changed();
}

int Queue::NextWaiting() const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].state == JobState::Waiting) return static_cast<int>(i);
    return -1;
}

void Queue::Changed() {
    if (kept_) file_.Write(Text());
    Updated();
}

void Queue::Updated() const {
    if (onChange) onChange();
}

void Queue::Restore() {
    kept_ = file_.Claim();
    if (!kept_) {
        entries_.clear();
        return;
    }
    const auto text = file_.Read();
    entries_ = text ? Parse(*text) : std::vector<QueueEntry>();
    bool interrupted = false;
    for (QueueEntry& entry : entries_)
        if (entry.state == JobState::Converting) {
            // The run that held it ended with the program: it starts over.
            entry.state = JobState::Waiting;
            media::RemoveStalePartFiles(entry.job.output);
            interrupted = true;
        }
    if (interrupted) Changed();
}

}  // namespace app
