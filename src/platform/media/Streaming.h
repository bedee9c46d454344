#pragma once
// The streaming engine behind MediaControl::Run: demux, decode, convert, encode and
// mux on threads of its own, joined by bounded queues so memory stays flat.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/media/Internal.h"

namespace media::detail {

// The graph's event queue; shared with the streaming threads so that they can post
// after the graph that started them is gone.
class EventQueue {
public:
    void Post(long code, LONG_PTR param1, LONG_PTR param2);
    HRESULT Get(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs);
    HRESULT SetNotify(std::function<void()> notify);
    // The run has ended (completion, abort or stop); wakes WaitForCompletion.
    void MarkFinished(long code);
    void ClearFinished();
    HRESULT WaitFinished(long timeoutMs, long& code);

private:
    struct Event {
        long code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;
    bool finished_ = false;
    long finishCode_ = 0;
    std::recursive_mutex notifyMutex_;
    std::function<void()> notify_;
};

struct RunPlan {
    std::shared_ptr<SourceFilter> source;
    std::shared_ptr<MuxFilter> mux;
    std::string outputPath;
    std::vector<Route> routes;
};

class Streamer {
public:
    Streamer(RunPlan plan, std::shared_ptr<EventQueue> events);
    ~Streamer();
    Streamer(const Streamer&) = delete;
    Streamer& operator=(const Streamer&) = delete;

    // Opens the encoders and the output file, writes the header and starts the
    // threads. On failure nothing runs and no partial file is left.
    HRESULT Start();
    // Halts every thread; the file is finalised and closed when this returns.
    void Stop();
    // Stream time written so far, 100 ns units.
    std::int64_t Position() const { return position_.load(); }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::atomic<std::int64_t> position_{0};
};

}  // namespace media::detail
