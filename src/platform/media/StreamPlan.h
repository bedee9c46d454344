#pragma once
// What becomes of each stream of the source, decided before a run starts: plain
// data, one entry per source stream, in the source's order. The first picture and
// the first sound are the graph's own routes; every other stream is converted
// beside them, kept as it is (packets straight into the container), or left out
// with the reason the completion line gives.
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace media::detail {

enum class StreamFate { Convert, Keep, LeaveOut };

enum class LeftOutBecause {
    Nothing,
    NotHeld,      // the container cannot carry it (said as "Not kept in …")
    NotChosen,    // the person chose the default sound only: nothing to say
    NoDecoder,    // named as a track that could not be read
    Unreadable,   // no usable parameters, or nothing to convert it with: named
    OverLimit,    // past the most tracks of its kind a run converts: counted
    Ignored,      // cover pictures and data streams: no track a person would miss
};

struct StreamPlan {
    int source = -1;  // the stream's index in the source
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    int number = 0;  // 1-based among the source's streams of its type, as a person counts
    StreamFate fate = StreamFate::LeaveOut;
    LeftOutBecause why = LeftOutBecause::Nothing;
    // Convert: the codec written (a subtitle's text format); the graph's routes
    // and the extra sound tracks take the route's encoder instead.
    AVCodecID codec = AV_CODEC_ID_NONE;
};

// How many tracks of one kind a run converts or keeps at most (the graph's first
// sound among them): each sound track has a decode and an encode thread of its own.
inline constexpr int kMostAudioTracks = 16;
inline constexpr int kMostSubtitleTracks = 32;

struct StreamChoices {
    int firstVideo = -1;  // the graph's routes (-1: none)
    int firstAudio = -1;
    bool allAudio = true;
    bool oneSound = false;  // the writer's profile holds one sound (Windows Media)
    bool keepAudio = false;  // the first sound is kept as it is: so are the others
};

std::vector<StreamPlan> PlanStreams(const AVFormatContext& source, const AVOutputFormat& container,
                                    const StreamChoices& choices);

// Whether the container writes the source's chapters.
bool HoldsChapters(const AVOutputFormat& container);

}  // namespace media::detail
