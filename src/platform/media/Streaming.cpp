#include "platform/media/Streaming.h"

#include <algorithm>

#include "platform/media/RunPass.h"
#include "platform/media/SizedRun.h"

namespace media::detail {

struct Streamer::Impl {
    Impl(RunPlan p, std::shared_ptr<EventQueue> e) : plan(std::move(p)), events(std::move(e)) {}
    RunPlan plan;
    std::shared_ptr<EventQueue> events;
    std::unique_ptr<RunPass> pass;  // a plain run: one pass that writes
    std::unique_ptr<SizedRun> sized;
};

Streamer::Streamer(RunPlan plan, std::shared_ptr<EventQueue> events)
    : impl_(std::make_unique<Impl>(std::move(plan), std::move(events))) {}

Streamer::~Streamer() { Stop(); }

HRESULT Streamer::Start() {
    RunPlan& plan = impl_->plan;
    // A size is kept to only with a picture to shrink (not one kept as it is) and a
    // length to share it over.
    std::int64_t duration = 0;
    const bool picture = std::any_of(plan.routes.begin(), plan.routes.end(), [](const Route& r) {
        return r.type == AVMEDIA_TYPE_VIDEO && !r.keep;
    });
    // The length the size is shared over: the part's, when a part is converted.
    auto partLength = [&] {
        if (FAILED(SourceDuration(*plan.source, duration))) return false;
        if (plan.stop > 0) duration = std::min(duration, plan.stop);
        duration -= plan.start;
        return duration > 0;
    };
    if (const std::int64_t target = plan.mux->targetSize(); target > 0 && picture && partLength()) {
        impl_->sized = std::make_unique<SizedRun>(plan, impl_->events, target, duration);
        return impl_->sized->Start();
    }
    impl_->pass = std::make_unique<RunPass>(plan, impl_->events, PassSetup{}, true);
    if (HRESULT hr = impl_->pass->Prepare(); FAILED(hr)) return hr;
    impl_->pass->Launch();
    return S_OK;
}

void Streamer::Stop() {
    if (impl_->plan.source->guard) impl_->plan.source->guard->stop = true;
    if (impl_->sized) impl_->sized->Stop();
    if (impl_->pass) {
        impl_->pass->Stop();
        impl_->pass->Join();
    }
}

std::int64_t Streamer::Position() const {
    if (impl_->sized) return impl_->sized->Position();
    return impl_->pass ? impl_->pass->status.position.load() : 0;
}

}  // namespace media::detail
