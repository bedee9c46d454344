// Sound cut into encoder frames by the audio filter chain: the encoder's size,
// the remainder at the end, positions that run on sample by sample, and samples
// passed through unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "MediaTestSupport.h"

namespace {

using media::detail::ChunkSize;
using media::detail::FramePtr;
using media::detail::SoundFormat;
using mediatest::ThroughAudioChain;

const SoundFormat kS16{48000, AV_SAMPLE_FMT_S16, 2, AV_CH_LAYOUT_STEREO};

// Interleaved 16-bit stereo: sample n of channel c holds n * 2 + c (wrapped).
std::vector<std::int16_t> Numbered(int samples, int from) {
    std::vector<std::int16_t> data;
    for (int n = from; n < from + samples; ++n) {
        data.push_back(static_cast<std::int16_t>(n * 2));
        data.push_back(static_cast<std::int16_t>(n * 2 + 1));
    }
    return data;
}

// Decoded sound of `format` at `pts`: its samples from `data` (interleaved 16-bit
// stereo), or silence.
FramePtr Sound(const SoundFormat& format, int samples, std::int64_t pts,
               const std::vector<std::int16_t>* data = nullptr) {
    FramePtr frame(av_frame_alloc());
    frame->format = format.format;
    frame->sample_rate = format.sampleRate;
    frame->nb_samples = samples;
    av_channel_layout_default(&frame->ch_layout, format.channels);
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < AV_NUM_DATA_POINTERS && frame->buf[p]; ++p)
        std::memset(frame->buf[p]->data, 0, frame->buf[p]->size);
    if (data) std::memcpy(frame->data[0], data->data(), data->size() * 2);
    frame->best_effort_timestamp = pts;
    return frame;
}

TEST(AudioChunkerTest, ChunkSizeIsTheEncodersFixedFrameOrAThousandTwentyFour) {
    struct Case {
        int frameSize;
        bool variable;
        int chunk;
    } const cases[] = {
        {1024, false, 1024},  // AAC
        {1152, false, 1152},  // MP2, MP3
        {2048, false, 2048},  // WMA
        {0, false, 1024},     // PCM takes any size
        {960, true, 1024},    // a variable-size encoder states a size it does not need
        {0, true, 1024},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChunkSize(c.frameSize, c.variable), c.chunk)
            << c.frameSize << (c.variable ? " variable" : " fixed");
}

TEST(AudioChunkerTest, CutsWholeFramesAndFlushesTheRemainderWithRunningPositions) {
    struct Case {
        const char* name;
        int chunk;
        std::int64_t start;  // AV_NOPTS_VALUE: never set
        std::vector<int> pieces;
        std::vector<int> frames;  // sizes, the last one from the flush
    };
    const Case cases[] = {
        {"aac sized, exact", 1024, 0, {1024, 1024}, {1024, 1024}},
        {"aac sized, uneven pieces", 1024, 0, {500, 700, 2000, 10}, {1024, 1024, 1024, 138}},
        {"mp3 sized", 1152, 480, {1000, 1000, 1000}, {1152, 1152, 696}},
        {"any size", 1024, 0, {3000}, {1024, 1024, 952}},
        {"too little for one", 1152, 0, {100}, {100}},
        {"nothing", 1024, 0, {}, {}},
        {"no start given", 1024, AV_NOPTS_VALUE, {1500}, {1024, 476}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FramePtr> pieces;
        int written = 0;
        for (int piece : c.pieces) {
            const auto data = Numbered(piece, written);
            pieces.push_back(Sound(kS16, piece, written == 0 ? c.start : AV_NOPTS_VALUE, &data));
            written += piece;
        }
        std::vector<int> sizes;
        std::vector<std::int16_t> out;
        std::int64_t expectedPts = c.start == AV_NOPTS_VALUE ? 0 : c.start;
        {
            for (const FramePtr& frame : ThroughAudioChain(kS16, c.chunk, std::move(pieces))) {
                sizes.push_back(frame->nb_samples);
                EXPECT_EQ(frame->pts, expectedPts) << "positions run on sample by sample";
                EXPECT_EQ(frame->sample_rate, 48000);
                EXPECT_EQ(frame->ch_layout.nb_channels, 2);
                expectedPts += frame->nb_samples;
                const auto* samples = reinterpret_cast<const std::int16_t*>(frame->data[0]);
                out.insert(out.end(), samples, samples + frame->nb_samples * 2);
            }
        }
        EXPECT_EQ(sizes, c.frames);
        EXPECT_EQ(out, Numbered(written, 0)) << "every sample once, in order";
    }
}

TEST(AudioChunkerTest, SilenceStaysSilentInPlanarFloat) {
    const SoundFormat fltp{44100, AV_SAMPLE_FMT_FLTP, 2, AV_CH_LAYOUT_STEREO};
    std::vector<FramePtr> silence;
    silence.push_back(Sound(fltp, 1500, 0));
    int total = 0;
    for (const FramePtr& frame : ThroughAudioChain(fltp, 1024, std::move(silence))) {
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frame->nb_samples; ++n)
                ASSERT_EQ(reinterpret_cast<const float*>(frame->data[c])[n], 0.0f);
        total += frame->nb_samples;
    }
    EXPECT_EQ(total, 1500);
}

// Sound that fits passes untouched; another rate, layout or format comes out at
// the target's length once drained.
TEST(AudioResamplerTest, PassesFittingSoundAndConvertsTheRestToTheTargetLength) {
    struct Case {
        const char* name;
        int rate;
        AVSampleFormat format;
        int channels;
        int samples;
        int expected;  // samples after the drain
    } const cases[] = {
        {"fits", 48000, AV_SAMPLE_FMT_S16, 2, 4800, 4800},
        {"44.1 kHz up", 44100, AV_SAMPLE_FMT_S16, 2, 4410, 4800},
        {"mono to stereo", 48000, AV_SAMPLE_FMT_S16, 1, 4800, 4800},
        {"float to 16 bits", 48000, AV_SAMPLE_FMT_FLT, 2, 4800, 4800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool numbered = c.format == AV_SAMPLE_FMT_S16 && c.channels == 2;
        const auto data = Numbered(c.samples, 0);
        std::vector<FramePtr> in;
        in.push_back(Sound({c.rate, c.format, c.channels, 0}, c.samples, 0, numbered ? &data : nullptr));
        const auto frames = ThroughAudioChain(kS16, 1 << 16, std::move(in));
        ASSERT_EQ(frames.size(), 1u);
        const FramePtr& out = frames.front();
        EXPECT_NEAR(out->nb_samples, c.expected, 2);
        if (c.rate == 48000 && numbered) {
            EXPECT_EQ(std::memcmp(out->data[0], data.data(), c.samples * 4), 0)
                << "sound that fits is not touched";
        }
    }
}

}  // namespace
