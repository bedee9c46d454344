#include "platform/media/RunStatus.h"

namespace media::detail {

void RunStatus::Fail(HRESULT hr, const std::string& reason) {
    HRESULT expected = S_OK;
    if (error_.compare_exchange_strong(expected, hr) && !reason.empty()) events_->SetReason(reason);
    AbortAll();
}

void RunStatus::Stop() {
    stopping_ = true;
    AbortAll();
}

void RunStatus::AbortAll() {
    for (Abortable* queue : queues_) queue->Abort();
}

}  // namespace media::detail
