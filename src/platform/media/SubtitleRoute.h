#pragma once
// One subtitle track on its way into the file: kept as it is (its cues moved to
// start where the part starts, those over before it left out), or converted to
// the container's text format (decoded to styled text, encoded again).
//
// Thread: opened on the starting thread; then the demux thread alone feeds it, as
// it reads the track's packets (subtitles are a few bytes a second, not worth a
// thread of their own), and ends it. Errors: an event that cannot be read or
// converted is skipped, and the track goes on; a full mux queue holds the reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/media/BoundedQueue.h"
#include "platform/media/Internal.h"
#include "platform/media/OutputStream.h"
#include "platform/media/StreamEncoder.h"

namespace media::detail {

class SubtitleRoute {
public:
    // `target`: the text format to write, or AV_CODEC_ID_NONE to keep the track as it is.
    SubtitleRoute(std::size_t index, const AVStream& input, AVCodecID target, std::int64_t startUs,
                  BoundedQueue<MuxItem>& mux)
        : index_(index), input_(input), target_(target), startUs_(startUs), mux_(mux) {}

    // Opens the decoder and encoder a conversion needs. False when the track cannot be
    // converted: it is then left out.
    bool Open();
    OutputStream Describe() const;

    // Passes on what comes of one packet of the track. False once the run has ended.
    bool Pass(const AVPacket& packet);
    // Tells the multiplexer the track has ended.
    void Finish() { mux_.Push(MuxItem{index_, nullptr}); }

private:
    bool Convert(const AVPacket& packet);

    std::size_t index_;
    const AVStream& input_;
    AVCodecID target_;
    std::int64_t startUs_;
    BoundedQueue<MuxItem>& mux_;
    CodecContextPtr decoder_;
    CodecContextPtr encoder_;
};

}  // namespace media::detail
