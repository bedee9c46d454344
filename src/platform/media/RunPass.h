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

#include "platform/media/DemuxStage.h"
#include "platform/media/MuxStage.h"
#include "platform/media/RunStatus.h"
#include "platform/media/StreamEncoder.h"
#include "platform/media/StreamPlan.h"
#include "platform/media/SubtitleRoute.h"
#include "platform/media/TwoPass.h"

namespace media::detail {

struct RunPlan {
    std::shared_ptr<SourceFilter> source;
    std::shared_ptr<MuxFilter> mux;
    std::shared_ptr<FileWriterFilter> writer;
    std::vector<Route> routes;
    // The part to convert, 100 ns from the source's start; a stop of 0 is its end.
    std::int64_t start = 0;
    std::int64_t stop = 0;
};

// What a measuring pass's packets add up to: counted on its own thread, read
// after Join. "Sound" is everything but the picture (subtitles and fonts too).
class PacketCount final : public Stage {
public:
    explicit PacketCount(BoundedQueue<MuxItem>& queue) : queue_(queue) {}
    void Run() override;
    std::int64_t soundBytes = 0;  // attachments' added before the thread starts
    std::int64_t soundPackets = 0;
    std::vector<bool> sound;  // by output stream, set before the thread starts

private:
    BoundedQueue<MuxItem>& queue_;
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
    // The routes as the pass runs them: the further sound tracks added.
    const std::vector<Route>& routes() const { return plan_.routes; }

private:
    struct RouteQueues;
    HRESULT Refuse(HRESULT hr, const std::string& reason);
    // Seeks to the part's start before anything is written, so that a start past
    // what the source holds is refused with no file made.
    HRESULT Open(DemuxStage::Part& part, const std::vector<StreamPlan>& plans);
    // Opens one route's chain and encoder (or copy) and adds its stages; its stream
    // is the next of `outputs`.
    HRESULT OpenRoute(const Route& route, const DemuxStage::Part& part,
                      std::vector<OutputStream>& outputs,
                      std::vector<DemuxStage::Output>& demuxOutputs, std::string& reason);
    void AddSoundTracks(const std::vector<StreamPlan>& streams);
    void NoteLeftOut(const std::vector<StreamPlan>& streams);

    RunPlan plan_;
    PassSetup video_;
    BoundedQueue<MuxItem> muxQueue_{128};
    std::optional<MuxStage> mux_;
    std::unique_ptr<PacketCount> count_;
    std::vector<std::unique_ptr<RouteQueues>> queues_;
    std::vector<std::unique_ptr<StreamEncoder>> encoders_;
    std::vector<std::unique_ptr<SubtitleRoute>> subtitles_;
    std::vector<std::unique_ptr<Stage>> stages_;  // the mux or the count not among them: run last
    std::vector<std::thread> threads_;
};

}  // namespace media::detail
