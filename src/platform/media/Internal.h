#pragma once
// The layer's insides: concrete filters over FFmpeg objects. Included only by this
// folder's .cpp files; FFmpeg types never reach the public headers.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "platform/media/CaptureGraphBuilder.h"
#include "platform/media/ConfigAsfWriter.h"
#include "platform/media/Filter.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/PropertyPages.h"
#include "platform/media/AudioPlan.h"
#include "platform/media/SourcePicture.h"
#include "platform/media/VideoPlan.h"

namespace media::detail {

// ---- FFmpeg ownership ----------------------------------------------------------
struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

// FFmpeg's error (negative errno or AVERROR tag) as one of the layer's codes.
HRESULT FromAvError(int error, HRESULT fallback);
// Path as FFmpeg's file protocol sees it, so names with ':' are never protocols.
std::string FileUrl(const std::string& path);
// Sets up FFmpeg's log once per process (FfmpegLog.h).
void EnsureFfmpegReady();

// The stream's decoder, opened; null when there is none or it refuses the stream.
CodecContextPtr OpenDecoder(const AVStream& stream);

// The installed runtime's word before a packet is written (S_OK: write it).
HRESULT BeforeWrite();

// ---- filters -------------------------------------------------------------------
// Lets a read that would block give up: at a deadline while a file is being
// opened, and at once when the run reading it stops.
struct ReadGuard {
    std::atomic<std::int64_t> deadline{0};  // av_gettime_relative() microseconds; 0: none
    std::atomic<bool> stop{false};
    static int Interrupted(void* guard);
};

class SourceFilter final : public Filter {
public:
    explicit SourceFilter(std::string path) : Filter(path), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::unique_ptr<ReadGuard> guard;  // outlives `input`, whose callback points at it
    InputPtr input;
    int videoStream = -1;
    int audioStream = -1;
    bool consumed = false;  // streamed once; the demuxer cannot rewind for a second run

private:
    std::string path_;
};

class DecoderFilter final : public Filter {
public:
    DecoderFilter(std::string name, int stream, AVMediaType type)
        : Filter(std::move(name)), streamIndex(stream), mediaType(type) {}
    int streamIndex;
    AVMediaType mediaType;
    CodecContextPtr context;
    std::weak_ptr<SourceFilter> source;
    SourcePicture picture;  // video: what a viewer should see
};

class RendererFilter final : public Filter {
public:
    explicit RendererFilter(std::string name) : Filter(std::move(name)) {}
};

// Format converter inserted by RenderStream: the stream's filter chain, whose
// text (for the decoder's parameters) it keeps.
class ConverterFilter final : public Filter {
public:
    ConverterFilter(std::string name, std::string chain)
        : Filter(std::move(name)), chain_(std::move(chain)) {}
    const std::string& chain() const { return chain_; }

private:
    std::string chain_;
};

class CompressorFilter final : public Filter, public SpecifyPropertyPages {
public:
    CompressorFilter(std::string name, const AVCodec* codec);
    ~CompressorFilter() override;

    HRESULT GetPages(std::vector<PropertyPage>& pages) override;
    HRESULT SetOption(const std::string& name, const std::string& value) override;

    const AVCodec* codec() const { return codec_; }
    // Settings changed from their defaults, applied to the encoder at Run.
    std::map<std::string, std::string> ChangedOptions() const;

private:
    // The settings offered, with the ranges the encoder takes. Under mutex_.
    std::vector<PropertyPage> Describe() const;

    const AVCodec* codec_;
    mutable std::mutex mutex_;
    AVCodecContext* settings_ = nullptr;  // never opened: holds and validates values
    std::map<std::string, std::string> changed_;
};

// "Keep original stream": stands where a compressor would (StreamCopy.h).
class StreamCopyFilter final : public Filter {
public:
    explicit StreamCopyFilter(AVMediaType type) : Filter("Keep original stream"), mediaType(type) {}
    AVMediaType mediaType;
    std::shared_ptr<Filter> fallback;  // the compressor for a stream that cannot be kept
};

// Whether the source's `stream` can go into `muxer` as it is.
enum class KeepVerdict { Keep, NotHeld, NoTimes };
KeepVerdict CanKeep(const AVFormatContext& source, int stream, const AVOutputFormat& muxer);

// The negotiated route of one stream from its decoder into the multiplexer.
struct Route {
    std::shared_ptr<DecoderFilter> decoder;
    std::shared_ptr<ConverterFilter> converter;    // may be empty
    std::shared_ptr<CompressorFilter> compressor;  // empty: the stream goes in uncompressed
    std::shared_ptr<StreamCopyFilter> keep;        // set: the source's packets go in as they are
    std::shared_ptr<Pin> muxInput;
    const AVCodec* encoder = nullptr;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    VideoPlan video;    // video: the picture's way to the encoder
    SoundFormat sound;  // audio: the encoder's format
    // Dictated by a writer that encodes by a profile (the Windows Media writer); zero
    // leaves the encoder's own choices.
    int keyFrameInterval = 0;  // frames
    std::int64_t bitRate = 0;
    HRESULT refusal = QV_E_ENCODER_OPEN;  // when the encoder will not open with the target
    // Packets that end before the stream starts (an audio encoder's priming) are left
    // out, so the file starts at zero instead of every stream being pushed back.
    bool dropPriming = false;
    // The container cannot start a stream late (AVI): a stream that starts after the
    // source shows its first picture, or silence, from the start.
    bool fillFromStart = false;
    // What the route goes without, noted for the run when it starts.
    std::vector<RunNote> notes;
    // A further sound track, added at Run beside the graph's routes: when it cannot
    // be opened it is left out, named by its number among the source's sound tracks.
    int extraTrack = 0;
};

class MuxFilter : public Filter,
                  public ConfigInterleaving,
                  public ConfigSizeTarget,
                  public ConfigStreams {
public:
    MuxFilter(std::string name, const AVOutputFormat* format)
        : Filter(std::move(name)), format_(format) {}
    HRESULT put_Mode(long mode) override;
    HRESULT get_Mode(long& mode) override;
    HRESULT put_TargetSize(std::int64_t bytes) override;
    HRESULT get_SmallestSize(std::int64_t& bytes) override;
    HRESULT put_LongerSideAtMost(long pixels) override;
    std::int64_t targetSize() const { return target_.load(); }
    int longerSide() const { return longerSide_.load(); }
    void SetSmallestSize(std::int64_t bytes) { smallest_ = bytes; }
    HRESULT put_AudioTracks(AudioTracks which) override;
    HRESULT put_WritingApplication(const std::string& name) override;
    AudioTracks audioTracks() const;
    std::string writingApplication() const;

    const AVOutputFormat* format() const { return format_; }
    // The free input pin, created on demand so one is always offered.
    std::shared_ptr<Pin> FreeInputPin();
    std::vector<Route> routes;

private:
    const AVOutputFormat* format_;
    std::atomic<long> mode_{INTERLEAVE_CAPTURE};
    std::atomic<std::int64_t> target_{0};
    std::atomic<std::int64_t> smallest_{0};
    std::atomic<int> longerSide_{0};
    mutable std::mutex mutex_;
    AudioTracks audioTracks_ = AudioTracks::All;  // under mutex_
    std::string writingApplication_;              // under mutex_
};

// A stream of the Windows Media writer's profile, as its encoder takes it.
struct WmStream {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    const AVCodec* encoder = nullptr;
    std::shared_ptr<Pin> input;
    std::int64_t bitRate = 0;
    // Video.
    int width = 0;
    int height = 0;
    AVRational frameRate{0, 1};
    int keyFrameInterval = 0;
    // Audio.
    int sampleRate = 0;
    int channels = 0;
};

// The Windows Media writer: an ASF multiplexer that encodes by its profile.
class WmAsfWriterFilter final : public MuxFilter, public ConfigAsfWriter {
public:
    WmAsfWriterFilter(std::string name, const AVOutputFormat* format)
        : MuxFilter(std::move(name), format) {}
    HRESULT ConfigureFilterUsingProfile(const std::shared_ptr<wmf::WMProfile>& profile) override;
    HRESULT GetCurrentProfile(std::shared_ptr<wmf::WMProfile>& profile) override;

    bool configured() const { return profile_ != nullptr; }
    // The profile's stream of this type, or null.
    const WmStream* StreamFor(AVMediaType type) const;

private:
    std::shared_ptr<Pin> InputPin(AVMediaType type);
    std::shared_ptr<wmf::WMProfile> profile_;
    std::vector<WmStream> streams_;
};

class FileWriterFilter final : public Filter, public FileSinkFilter2 {
public:
    FileWriterFilter(std::string name, std::string path)
        : Filter(std::move(name)), path_(std::move(path)) {}
    HRESULT SetMode(unsigned long flags) override;
    HRESULT GetMode(unsigned long& flags) override;
    HRESULT GetCurFile(std::string& path) override;
    std::string KeptAside() override;
    const std::string& path() const { return path_; }
    // The mux thread says where the file went as a run ends.
    void SetKeptAside(std::string path);

private:
    std::string path_;
    std::atomic<unsigned long> mode_{0};
    std::mutex mutex_;
    std::string keptAside_;  // under mutex_
};

// The source file for RenderFile: opens it and makes the filters the graph adds, connected,
// in the order they are added (the source, a decoder per stream, the renderers).
// VFW_S_PARTIAL_RENDER when a stream was left out for want of a decoder.
HRESULT OpenSourceFilters(const std::string& path, std::vector<std::shared_ptr<Filter>>& filters);
// The length `source` states for these streams (the longest stream's first, or
// the file's first), 100 ns; 0 when it states none worth believing (unknown, or
// longer than its size could fill).
std::int64_t StatedDuration(const AVFormatContext& source, const std::vector<int>& streams,
                            bool streamsFirst);
// The opened source's duration, in 100 ns units; 0 when not known.
HRESULT SourceDuration(const SourceFilter& source, std::int64_t& stop);

// Pin plumbing shared by the graph and the builder.
void ConnectPins(const std::shared_ptr<Pin>& output, const std::shared_ptr<Pin>& input,
                 const MediaType& type);
std::shared_ptr<Pin> FirstPin(const Filter& filter, PinDirection direction);

// Graph internals the builder needs.
class GraphInternals {
public:
    virtual ~GraphInternals() = default;
    virtual bool Contains(const std::shared_ptr<Filter>& filter) const = 0;
    virtual bool IsRunning() const = 0;
};

// What only the layer's own graph can tell, behind whatever stands in for it; null for
// a graph that is not the layer's.
inline GraphInternals* InternalsOf(FilterGraph& graph) {
    return dynamic_cast<GraphInternals*>(&graph.Underlying());
}

}  // namespace media::detail
