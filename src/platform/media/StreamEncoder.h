#pragma once
// One stream's encoder. Opened on the thread that starts the run; from then on
// fed by its encode stage's thread alone, which passes the packets to the mux
// queue. The mux thread reads only the copies MuxStream keeps of its settings.
#include <cstddef>
#include <cstdint>

#include "platform/media/BoundedQueue.h"
#include "platform/media/Internal.h"
#include "platform/media/OutputStream.h"
#include "platform/media/RunStatus.h"
#include "platform/media/TwoPass.h"

namespace media::detail {

// An encoded packet on its way to the multiplexer.
struct MuxItem {
    std::size_t route = 0;
    PacketPtr packet;  // empty: the route has ended
};

// The pictures a video encoder is opened for: what its filter chain gives.
struct PictureOut {
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    AVRational sampleAspect{1, 1};
    AVRational timeBase{1, 1};  // the chain's clock, for a source that states no rate
};

class StreamEncoder {
public:
    StreamEncoder(std::size_t index, Route route, RunStatus& status, BoundedQueue<MuxItem>& mux,
                  PassSetup pass = {})
        : index_(index), route_(std::move(route)), status_(status), mux_(mux),
          pass_(std::move(pass)) {}

    // Opens the encoder with its starting settings and what the person changed
    // on top, for `picture` (video) or the route's sound. Settings it refuses
    // (kept from another FFmpeg, say) never stop a run: it opens again on the
    // starting settings alone, with a note. On failure: the route's refusal code
    // and FFmpeg's reason in `reason`.
    HRESULT Open(const PictureOut& picture, bool globalHeader, std::string& reason);

    const Route& route() const { return route_; }
    AVCodecContext* context() const { return context_.get(); }
    // One frame in the encoder's time base, or 0 when the rate is unknown.
    std::int64_t frameDuration() const { return frameDuration_; }
    // The opened encoder's stream, carrying `source`'s language, title and flags.
    OutputStream Describe(const AVStream* source) const;

    // Encodes a frame and passes on every packet that comes out. False once the
    // run is failing or stopped.
    bool Send(AVFrame* frame);
    // Drains the encoder and tells the multiplexer this route has ended.
    void Finish();
    // What a measuring pass learnt, for the writing pass (libvpx, libaom).
    const std::string& stats() const { return pass_.stats; }

private:
    int TryOpen(const PictureOut& picture, bool globalHeader,
                const std::map<std::string, std::string>& changed);

    std::size_t index_;
    Route route_;
    RunStatus& status_;
    BoundedQueue<MuxItem>& mux_;
    PassSetup pass_;
    CodecContextPtr context_;
    std::int64_t frameDuration_ = 0;
};

}  // namespace media::detail
