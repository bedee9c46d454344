#pragma once
// The queue: jobs in the order they will run, each with its state, kept in a
// file beside the settings after every change so that it survives a restart
// and a crash.
//
// Threads: the window's; nothing here is shared with the streaming threads.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Job.h"
#include "platform/registry/Registry.h"

namespace app {

enum class JobState { Waiting, Converting, Done, Failed, Stopped, EndedEarly, Skipped };

struct QueueEntry {
    engine::Job job;
    JobState state = JobState::Waiting;
    std::string note;  // Failed: the reason in words; EndedEarly: where it ended; Done: what
                       // the run went without or worked around
    std::int64_t bytes = 0;     // Done, EndedEarly: the size written
    std::int64_t duration = 0;  // the source's length, 100 ns; 0 while unknown
    std::string keptAside;      // where the file went when it could not take the output's place
    // While converting (not kept in the file).
    int percent = 0;
    std::int64_t secondsLeft = -1;
    bool operator==(const QueueEntry&) const = default;
};

class Queue {
public:
    // The queue kept in `file`.
    explicit Queue(registry::SideFile file) : file_(std::move(file)) {}

    const std::vector<QueueEntry>& entries() const { return entries_; }
    QueueEntry& at(std::size_t index) { return entries_.at(index); }
    std::size_t size() const { return entries_.size(); }

    // Adds a job at the end. Its output name is made free of every other job's
    // source and output ("NAME (2).EXT"), and a waiting job whose output would
    // be this job's source gets another name, so two jobs never write one file
    // and none writes over a source.
    void Add(engine::Job job, std::int64_t duration);
    // Only a job that is not converting can be removed or moved.
    bool Remove(std::size_t index);
    bool Move(std::size_t index, int by);
    // Failed, stopped and skipped jobs wait again.
    void RetryFailed();
    // Takes away the jobs that are done (ended early too).
    void ClearDone();
    // The waiting jobs take `make`'s options, keeping their sources; their
    // outputs follow the new format and are made free again.
    void ApplyToWaiting(const std::function<engine::Job(const engine::Job&)>& make);
    // The first waiting job, or -1.
    int NextWaiting() const;
    // A name for `index`'s output that no other job has and no file holds yet.
    std::string FreeNameBeside(std::size_t index) const;

    // After a change of jobs or states: saves, then tells the listener.
    void Changed();
    // After progress alone (nothing to keep): tells the listener.
    void Updated() const;
    std::function<void()> onChange;

    // Reads the file. A job that was converting when the program ended waits
    // again, and the hidden part file its run left is removed. When another
    // copy of the program keeps the file, this queue starts empty and is not
    // saved: two copies must not run the same jobs or write over each other's.
    void Restore();
    // Whether this queue is saved (false after a Restore that found the file kept).
    bool kept() const { return kept_; }
    // The file's text, and back.
    std::string Text() const;
    static std::vector<QueueEntry> Parse(const std::string& text);

private:
    // Every source, and every output but `except`'s.
    std::vector<std::string> Taken(std::size_t except) const;
    std::string FreeName(const std::string& wanted, std::size_t except) const;
    registry::SideFile file_;
    bool kept_ = true;
    std::vector<QueueEntry> entries_;
};

}  // namespace app
