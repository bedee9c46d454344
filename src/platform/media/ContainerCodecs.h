#pragma once
// Which compressors a container can hold, as its multiplexer answers, and the
// starting settings an encoder runs with when the person changed nothing.
#include <string>
#include <utility>
#include <vector>

namespace media {

// Whether the FFmpeg muxer `muxer` ("avi", "matroska"...) can hold what the
// encoder `encoder` writes. Encoders of still pictures are never held: a
// converter writes moving pictures.
bool MuxerHolds(const std::string& muxer, const std::string& encoder);

// The encoder's starting settings (FFmpeg option names and values, applied in
// this order) for frames of this size and rate; empty when FFmpeg's own are good.
// `overridden` names the options the person set: a default that would change or
// outrule one of them is left out.
using EncoderOptions = std::vector<std::pair<std::string, std::string>>;
EncoderOptions EncoderDefaults(const std::string& encoder, int width, int height,
                               double frameRate, const std::vector<std::string>& overridden = {});

// The multiplexer's settings for files that play well: MP4 puts its index in
// front so that a player or browser starts before the whole file is there.
EncoderOptions MuxerDefaults(const std::string& muxer);

}  // namespace media
