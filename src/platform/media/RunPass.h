#pragma once
// One pass over the source: its queues, encoders and stages, one thread each.
// A plain run is one pass that writes; a file asked of a size is a measuring
// pass (nothing written: the encoded packets are only counted) and a writing one.
//
// Thread: Prepare runs on the calling thread and opens everything the threads
// need; Launch starts them; from then on each stage owns its data (see each
// stage's header) until Join has returned. Failures and Stop travel through the
// pass's RunStatus, which aborts its queues.
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/media/MuxStage.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"
#include "platform/media/TwoPass.h"

namespace media::detail {

struct RunPlan {
    std::shared_ptr<SourceFilter> source;
    std::shared_ptr<MuxFilter> mux;
    std::shared_ptr<FileWriterFilter> writer;
    std::vector<Route> routes;
};

// What a measuring pass's packets add up to: counted on its own thread, read
// after Join.
class PacketCount final : public Stage {
public:
    PacketCount(BoundedQueue<MuxItem>& queue, std::size_t routes)
        : queue_(queue), routes_(routes) {}
    void Run() override;
    std::int64_t soundBytes = 0;
    std::int64_t soundPackets = 0;
    std::vector<bool> sound;  // by route, set before the thread starts

private:
    BoundedQueue<MuxItem>& queue_;
    std::size_t routes_;
};

class RunPass {
public:
    // `video` is the picture's pass; sound is encoded as in a plain run.
    // `writes`: false for a measuring pass.
    RunPass(const RunPlan& plan, std::shared_ptr<EventQueue> events, PassSetup video, bool writes);
    ~RunPass();

    // Opens the encoders (and, when it writes, the hidden file with its header).
    // On failure nothing runs, no file is left, and the failure is the status's.
    HRESULT Prepare();
    void Launch();
    void Join();
    void Stop() { status.Stop(); }

    RunStatus status;
    MuxStage* mux() { return mux_ ? &*mux_ : nullptr; }
    const PacketCount* count() const { return count_.get(); }
    const std::vector<std::unique_ptr<StreamEncoder>>& encoders() const { return encoders_; }

private:
    struct RouteQueues;
    HRESULT Refuse(HRESULT hr, const std::string& reason);

    RunPlan plan_;
    PassSetup video_;
    BoundedQueue<MuxItem> muxQueue_{128};
    std::optional<MuxStage> mux_;
    std::unique_ptr<PacketCount> count_;
    std::vector<std::unique_ptr<RouteQueues>> queues_;
    std::vector<std::unique_ptr<StreamEncoder>> encoders_;
    std::vector<std::unique_ptr<Stage>> stages_;  // the mux or the count not among them: run last
    std::vector<std::thread> threads_;
};

}  // namespace media::detail
