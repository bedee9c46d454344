#pragma once
// Keeping a stream as the source has it: a filter that stands where a
// compressor would, so that the route skips the decoder, the filter chain and
// the encoder and hands the source's packets to the multiplexer.
#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/media/Filter.h"
#include "platform/media/FilterGraph.h"

namespace media {

// A new "Keep original stream" filter for video or sound. Routed by
// RenderStream like a compressor; when the stream cannot be kept (the
// container cannot hold its codec, or the source states no times), the route
// goes through `fallback` instead and the run notes it.
HRESULT CreateStreamCopy(bool video, std::shared_ptr<Filter>& out);
void SetStreamCopyFallback(const std::shared_ptr<Filter>& copy,
                           const std::shared_ptr<Filter>& fallback);
bool IsStreamCopy(const std::shared_ptr<Filter>& filter);

// Whether the FFmpeg muxer `muxer` can hold the opened source's first video (or
// sound) stream as it is, and the source states its times.
bool GraphKeepsStream(FilterGraph& graph, bool video, const std::string& muxer);

}  // namespace media
