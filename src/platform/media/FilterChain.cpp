#include "platform/media/FilterChain.h"

#include <algorithm>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include "platform/media/CoreShare.h"
#include "platform/media/FfmpegLog.h"

namespace media::detail {
namespace {

struct InOutFreer {
    void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutFreer>;

InOutPtr End(const char* name, AVFilterContext* filter) {
    InOutPtr end(avfilter_inout_alloc());
    if (!end) return nullptr;
    end->name = av_strdup(name);
    end->filter_ctx = filter;
    return end->name ? std::move(end) : nullptr;
}

}  // namespace

int FilterChain::Build(AVMediaType type, const std::string& source, const std::string& filters,
                       std::string& reason) {
    Reset();
    LogCapture capture;
    const bool video = type == AVMEDIA_TYPE_VIDEO;
    graph_ = avfilter_graph_alloc();
    if (!graph_) return AVERROR(ENOMEM);
    // Conversions the graph inserts between filters scale as ours do.
    graph_->scale_sws_opts = av_strdup("flags=bicubic");
    // The stages already keep the cores busy (decoder, chain and encoder each on a
    // thread of their own): a filter's own slice threads only add hand-offs. On two
    // cores a 4K tone mapping takes a seventh less processor time on one thread
    // than on two; a machine of many cores lends the chain a quarter of them.
    graph_->nb_threads = static_cast<int>(std::max(1u, CoresPerRun() / 4));
    int err =
        avfilter_graph_create_filter(&source_, avfilter_get_by_name(video ? "buffer" : "abuffer"),
                                     "in", source.c_str(), nullptr, graph_);
    if (err >= 0)
        err = avfilter_graph_create_filter(
            &sink_, avfilter_get_by_name(video ? "buffersink" : "abuffersink"), "out", nullptr,
            nullptr, graph_);
    if (err >= 0) {
        // The parser's open ends: the source feeds the chain's first filter, the
        // chain's last filter feeds the sink.
        InOutPtr outputs = End("in", source_), inputs = End("out", sink_);
        AVFilterInOut* out = outputs.release();
        AVFilterInOut* in = inputs.release();
        err = out && in ? avfilter_graph_parse_ptr(graph_, filters.c_str(), &in, &out, nullptr)
                        : AVERROR(ENOMEM);
        avfilter_inout_free(&in);
        avfilter_inout_free(&out);
    }
    if (err >= 0) err = avfilter_graph_config(graph_, nullptr);
    if (err < 0) {
        reason = capture.Reason(err);
        Reset();
    }
    return err;
}

void FilterChain::Reset() {
    avfilter_graph_free(&graph_);
    source_ = nullptr;
    sink_ = nullptr;
}

int FilterChain::Send(AVFrame* frame) {
    return av_buffersrc_add_frame_flags(source_, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int FilterChain::Close(std::int64_t pts) { return av_buffersrc_close(source_, pts, 0); }

int FilterChain::Receive(AVFrame* out) { return av_buffersink_get_frame(sink_, out); }

}  // namespace media::detail
