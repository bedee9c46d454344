#include "platform/media/EventQueue.h"

#include <chrono>

namespace media::detail {

void EventQueue::Post(long code, LONG_PTR param1, LONG_PTR param2) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back({code, param1, param2});
    }
    changed_.notify_all();
    std::lock_guard lock(notifyMutex_);
    if (notify_) notify_();
}

HRESULT EventQueue::Get(long& code, LONG_PTR& param1, LONG_PTR& param2, long timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [&] { return !events_.empty(); };
    if (timeoutMs < 0)
        changed_.wait(lock, ready);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return E_ABORT;
    const Event e = events_.front();
    events_.pop_front();
    code = e.code;
    param1 = e.param1;
    param2 = e.param2;
    return S_OK;
}

HRESULT EventQueue::SetNotify(std::function<void()> notify) {
    std::lock_guard notifyLock(notifyMutex_);
    notify_ = std::move(notify);
    bool pending;
    {
        std::lock_guard lock(mutex_);
        pending = !events_.empty();
    }
    if (pending && notify_) notify_();
    return S_OK;
}

void EventQueue::MarkFinished(long code) {
    {
        std::lock_guard lock(mutex_);
        if (finished_) return;
        finished_ = true;
        finishCode_ = code;
    }
    changed_.notify_all();
}

void EventQueue::ClearFinished() {
    std::lock_guard lock(mutex_);
    finished_ = false;
    finishCode_ = 0;
    reason_.clear();
    notes_.clear();
}

HRESULT EventQueue::WaitFinished(long timeoutMs, long& code) {
    std::unique_lock lock(mutex_);
    auto done = [&] { return finished_; };
    if (timeoutMs < 0)
        changed_.wait(lock, done);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done))
        return E_ABORT;
    code = finishCode_;
    return S_OK;
}

void EventQueue::SetReason(const std::string& reason) {
    std::lock_guard lock(mutex_);
    if (reason_.empty()) reason_ = reason;
}

std::string EventQueue::Reason() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

}  // namespace media::detail

namespace media::detail {

void EventQueue::Note(RunNote note) {
    using enum RunNoteKind;
    // Counts add up; a track left out is named on its own; other kinds are said once.
    const bool adds = note.kind == DamagedFrames || note.kind == StreamsLeftOut ||
                      note.kind == NotKeptAudio || note.kind == NotKeptVideo ||
                      note.kind == NotKeptSubtitles || note.kind == NotKeptAttachments ||
                      note.kind == NotKeptChapters || note.kind == TracksOverLimit;
    const bool perTrack = note.kind == AudioTrackLeftOut || note.kind == SubtitleTrackLeftOut;
    std::lock_guard lock(mutex_);
    for (RunNote& held : notes_)
        if (held.kind == note.kind && !perTrack) {
            if (adds) held.count += note.count;
            return;
        }
    notes_.push_back(note);
}

std::vector<RunNote> EventQueue::Notes() const {
    std::lock_guard lock(mutex_);
    return notes_;
}

void EventQueue::SetNotes(std::vector<RunNote> notes) {
    std::lock_guard lock(mutex_);
    notes_ = std::move(notes);
}

}  // namespace media::detail
