#pragma once
// What the stages of one run share across their threads, and the shape of a stage.
//
// Each stage's own data is touched by its thread alone; what crosses threads goes
// through the bounded queues or through this object. Errors travel one way: a
// stage that fails calls Fail, which keeps the first failure (with FFmpeg's
// reason, handed to the graph's event queue) and aborts every queue, so every
// other stage wakes and returns. Stop does the same without a failure.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/media/BoundedQueue.h"
#include "platform/media/EventQueue.h"

namespace media::detail {

// A stage's thread body. It returns when its input has ended, when the run
// fails, or when the run is stopped.
class Stage {
public:
    virtual ~Stage() = default;
    virtual void Run() = 0;
};

class RunStatus {
public:
    explicit RunStatus(std::shared_ptr<EventQueue> events) : events_(std::move(events)) {}

    // A queue to abort on failure or Stop; every queue is added before the threads start.
    void Watch(Abortable& queue) { queues_.push_back(&queue); }
    // Keeps the run's first failure and FFmpeg's reason for it, and aborts every queue.
    void Fail(HRESULT hr, const std::string& reason = {});
    HRESULT error() const { return error_.load(); }
    // Stop: every queue aborted, and the file finalised as it stands.
    void Stop();
    bool stopping() const { return stopping_.load(); }

    EventQueue& events() { return *events_; }
    // Something the run goes on without or works around, for its completion line.
    void Note(RunNoteKind kind, std::int64_t count = 0) { events_->Note(RunNote{kind, count}); }

    // Stream time written so far, 100 ns (the mux thread writes it).
    std::atomic<std::int64_t> position{0};
    // How far the demuxer got, 100 ns from the source's start, and whether the
    // source gave out before the end its header states (the demux thread writes them).
    std::atomic<std::int64_t> reached{0};
    std::atomic<bool> endedEarly{false};

private:
    void AbortAll();

    std::shared_ptr<EventQueue> events_;
    std::vector<Abortable*> queues_;
    std::atomic<HRESULT> error_{S_OK};
    std::atomic<bool> stopping_{false};
};

}  // namespace media::detail
