#pragma once
// Ends the test process when a step hangs, so that a call which blocks for good
// fails at once with a message instead of at the test runner's timeout.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace testenv {

class Watchdog {
public:
    Watchdog(std::string what, std::chrono::seconds limit)
        : thread_([this, what = std::move(what), limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
              std::fprintf(stderr, "%s: still running after %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::_Exit(3);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace testenv
