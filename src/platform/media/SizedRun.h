#pragma once
// A run asked for a file of a given size: refused at once when the sound and the
// container alone need more (the multiplexer is told the smallest size that could
// work), else a measuring pass that writes nothing, then a writing pass at the
// picture's average rate that fills the size; a file that still comes out over
// it is let go and written once more at a lower rate.
//
// Thread: Start runs on the caller's thread and opens the measuring pass; one
// thread of its own then runs the passes in turn, rewinding the source between
// them, while each pass runs its stages on threads of their own. Stop and
// Position come from any thread. The event queue hears of the run's end only
// from the last pass, or of a failure in any of them; a stopped run leaves no
// file at all.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/media/RunPass.h"
#include "platform/media/TwoPass.h"

namespace media::detail {

class SizedRun {
public:
    SizedRun(RunPlan plan, std::shared_ptr<EventQueue> events, std::int64_t target,
             std::int64_t duration);
    ~SizedRun();
    HRESULT Start();
    void Stop();
    // Counts both passes: the measuring one fills the first half.
    std::int64_t Position() const;

private:
    void Run();
    // Runs `pass` to its end, unless Stop came first; false when it did not end well.
    // It stays the current pass, for Position and Stop.
    bool RunToEnd(std::unique_ptr<RunPass> pass);
    bool Rewind();
    void Fail(HRESULT hr, const std::string& reason);
    std::unique_ptr<RunPass> Writing(std::int64_t bitRate, bool retry);

    RunPlan plan_;
    std::shared_ptr<EventQueue> events_;
    std::shared_ptr<EventQueue> measuring_;  // the first pass's: it posts nothing of its own
    std::int64_t target_;
    std::int64_t duration_;  // 100 ns
    SizeBudget budget_;
    std::int64_t soundPackets_ = 0;  // as the sound encoders announce them
    StatsFolder folder_;
    std::string stats_;
    mutable std::mutex mutex_;  // guards current_ and phase_ against Stop and Position
    std::unique_ptr<RunPass> current_;
    int phase_ = 1;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace media::detail
