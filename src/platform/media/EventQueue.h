#pragma once
// The graph's event queue, shared with the streaming threads so that they can post
// after the graph that started them is gone. It also keeps what FFmpeg said about
// the run's failure, for the message that reports it, and the run's notes.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/FilterGraph.h"

namespace media::detail {

class EventQueue {
public:
    void Post(long code, LONG_PTR param1, LONG_PTR param2);
    HRESULT Get(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs);
    HRESULT SetNotify(std::function<void()> notify);
    // The run has ended (completion, abort or stop); wakes WaitForCompletion.
    void MarkFinished(long code);
    // A new run starts: not finished, and no reason from the one before.
    void ClearFinished();
    HRESULT WaitFinished(long timeoutMs, long& code);
    // FFmpeg's own words on why the run failed ("" when it said nothing). The
    // first reason of a run stays: later ones are knock-on effects.
    void SetReason(const std::string& reason);
    std::string Reason() const;
    // Adds a note of the run: a kind seen before adds its count to the first.
    void Note(RunNote note);
    std::vector<RunNote> Notes() const;
    // Puts back the notes as they were: a pass whose file was let go is not said.
    void SetNotes(std::vector<RunNote> notes);

private:
    struct Event {
        long code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;
    bool finished_ = false;
    long finishCode_ = 0;
    std::string reason_;
    std::vector<RunNote> notes_;
    std::recursive_mutex notifyMutex_;
    std::function<void()> notify_;
};

}  // namespace media::detail
