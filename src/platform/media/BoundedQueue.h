#pragma once
// The queue between two stages of a run. Bounded, so that a slow stage holds the
// ones before it back instead of letting items pile up; abortable, so that a
// failure or Stop wakes every thread waiting on either end.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace media::detail {

class Abortable {
public:
    virtual void Abort() = 0;

protected:
    ~Abortable() = default;
};

template <typename T>
class BoundedQueue final : public Abortable {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}
    BoundedQueue(const BoundedQueue&) = delete;
    BoundedQueue& operator=(const BoundedQueue&) = delete;

    // False once aborted: the item is dropped and the caller should stop.
    bool Push(T item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return aborted_ || items_.size() < capacity_; });
        if (aborted_) return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }
    // False once aborted, even with items left: an aborted run reads no further.
    bool Pop(T& item) {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return aborted_ || !items_.empty(); });
        if (aborted_) return false;
        item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return true;
    }
    void Abort() override {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        notFull_.notify_all();
        notEmpty_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable notFull_;
    std::condition_variable notEmpty_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool aborted_ = false;
};

}  // namespace media::detail
