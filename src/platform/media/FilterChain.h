#pragma once
// One libavfilter graph from a buffer source to a buffer sink, built from a
// chain's text. Owned, fed and drained by one thread (its encode stage's);
// the starting thread builds the first one, before that thread runs.
#include <cstdint>
#include <string>

#include "platform/media/Internal.h"

struct AVFilterContext;
struct AVFilterGraph;

namespace media::detail {

class FilterChain {
public:
    FilterChain() = default;
    ~FilterChain() { Reset(); }
    FilterChain(const FilterChain&) = delete;
    FilterChain& operator=(const FilterChain&) = delete;

    // `source`: the buffer source's parameters ("video_size=...:pix_fmt=..." or
    // "sample_rate=...:sample_fmt=..."); `filters`: the chain between source and
    // sink. On failure no chain is held and `reason` has FFmpeg's words.
    int Build(AVMediaType type, const std::string& source, const std::string& filters,
              std::string& reason);
    bool built() const { return graph_ != nullptr; }
    void Reset();

    // A frame in (the chain takes its own reference; `frame` stays the caller's).
    int Send(AVFrame* frame);
    // No more frames; the input ends at `pts` (the source's time base).
    int Close(std::int64_t pts);
    // The next frame out: 0 with one, AVERROR(EAGAIN) while the chain wants
    // input, AVERROR_EOF once closed and empty.
    int Receive(AVFrame* out);

    // What comes out, for the encoder.
    const AVFilterContext* sink() const { return sink_; }

private:
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
};

}  // namespace media::detail
