// The audio filter chain against the hand-written units it replaced: sound cut
// into encoder frames of the encoder's size, the remainder at the end,
// positions that run on sample by sample, samples passed through unchanged, and
// other rates converted to the target's length.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/media/AudioChain.h"

namespace {

using media::detail::AudioChain;
using media::detail::ChunkSize;
using media::detail::FramePtr;
using media::detail::SoundFormat;

constexpr std::uint64_t kStereo = AV_CH_LAYOUT_STEREO;

// A chain into `out` in frames of `chunk`, built for `in`, recording what comes out.
struct ChainRun {
    ChainRun(SoundFormat target, int chunk, SoundFormat in)
        : chain(target, chunk, {1, in.sampleRate}, 0, false, status) {
        std::string reason;
        EXPECT_EQ(chain.Configure(in, reason), S_OK) << reason;
    }
    bool Send(FramePtr frame) { return chain.Send(std::move(frame), emit); }
    bool Finish() { return chain.Finish(emit); }

    media::detail::RunStatus status{std::make_shared<media::detail::EventQueue>()};
    AudioChain chain;
    std::vector<FramePtr> out;
    AudioChain::Emit emit = [this](AVFrame& f) {
        out.emplace_back(av_frame_clone(&f));
        return true;
    };
};

FramePtr Sound(const SoundFormat& format, int samples, std::int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = format.format;
    frame->sample_rate = format.sampleRate;
    frame->nb_samples = samples;
    av_channel_layout_default(&frame->ch_layout, format.channels);
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < AV_NUM_DATA_POINTERS && frame->buf[p]; ++p)
        std::memset(frame->buf[p]->data, 0, frame->buf[p]->size);
    frame->best_effort_timestamp = pts;
    return frame;
}

// Interleaved 16-bit stereo: sample n of channel c holds n * 2 + c (wrapped).
std::vector<std::int16_t> Numbered(int samples, int from) {
    std::vector<std::int16_t> data;
    for (int n = from; n < from + samples; ++n) {
        data.push_back(static_cast<std::int16_t>(n * 2));
        data.push_back(static_cast<std::int16_t>(n * 2 + 1));
    }
    return data;
}

TEST(AudioChainTest, ChunkSizeIsTheEncodersFixedFrameOrAThousandTwentyFour) {
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

TEST(AudioChainTest, CutsWholeFramesAndFlushesTheRemainderWithRunningPositions) {
    struct Case {
        const char* name;
        int chunk;
        std::int64_t start;  // AV_NOPTS_VALUE: the sound states no time
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
    const SoundFormat s16{48000, AV_SAMPLE_FMT_S16, 2, kStereo};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChainRun run(s16, c.chunk, s16);
        int written = 0;
        for (int piece : c.pieces) {
            FramePtr frame = Sound(s16, piece, written == 0 ? c.start : AV_NOPTS_VALUE);
            const auto numbered = Numbered(piece, written);
            std::memcpy(frame->data[0], numbered.data(), numbered.size() * 2);
            ASSERT_TRUE(run.Send(std::move(frame)));
            written += piece;
        }
        ASSERT_TRUE(run.Finish());
        std::vector<int> sizes;
        std::vector<std::int16_t> out;
        std::int64_t expectedPts = c.start == AV_NOPTS_VALUE ? 0 : c.start;
        for (const FramePtr& frame : run.out) {
            sizes.push_back(frame->nb_samples);
            EXPECT_EQ(frame->pts, expectedPts) << "positions run on sample by sample";
            EXPECT_EQ(frame->sample_rate, 48000);
            EXPECT_EQ(frame->ch_layout.nb_channels, 2);
            expectedPts += frame->nb_samples;
            const auto* samples = reinterpret_cast<const std::int16_t*>(frame->data[0]);
            out.insert(out.end(), samples, samples + frame->nb_samples * 2);
        }
        EXPECT_EQ(sizes, c.frames);
        EXPECT_EQ(out, Numbered(written, 0)) << "every sample once, in order";
    }
}

TEST(AudioChainTest, SilenceStaysSilentInPlanarFloat) {
    const SoundFormat fltp{44100, AV_SAMPLE_FMT_FLTP, 2, kStereo};
    ChainRun run(fltp, 1024, fltp);
    ASSERT_TRUE(run.Send(Sound(fltp, 1500, 0)));
    ASSERT_TRUE(run.Finish());
    int total = 0;
    for (const FramePtr& frame : run.out) {
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frame->nb_samples; ++n)
                ASSERT_EQ(reinterpret_cast<const float*>(frame->data[c])[n], 0.0f);
        total += frame->nb_samples;
    }
    EXPECT_EQ(total, 1500);
}

// Sound that fits passes untouched; another rate, layout or format comes out at
// the target's length once drained.
TEST(AudioChainTest, PassesFittingSoundAndConvertsTheRestToTheTargetLength) {
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
    const SoundFormat s16{48000, AV_SAMPLE_FMT_S16, 2, kStereo};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundFormat in{c.rate, c.format, c.channels,
                             c.channels == 2 ? kStereo : AV_CH_LAYOUT_MONO};
        ChainRun run(s16, 1 << 16, in);
        FramePtr frame = Sound(in, c.samples, 0);
        const auto numbered = Numbered(c.samples, 0);
        if (c.format == AV_SAMPLE_FMT_S16 && c.channels == 2)
            std::memcpy(frame->data[0], numbered.data(), numbered.size() * 2);
        ASSERT_TRUE(run.Send(std::move(frame)));
        ASSERT_TRUE(run.Finish());
        ASSERT_EQ(run.out.size(), 1u);
        EXPECT_NEAR(run.out[0]->nb_samples, c.expected, 2);
        if (c.rate == 48000 && c.format == AV_SAMPLE_FMT_S16 && c.channels == 2) {
            EXPECT_EQ(std::memcmp(run.out[0]->data[0], numbered.data(), c.samples * 4), 0)
                << "sound that fits is not touched";
        }
    }
}

}  // namespace
