// Sound cut into encoder frames: the encoder's size, the remainder at the end,
// positions that run on sample by sample, and samples passed through unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/media/AudioChunker.h"
#include "platform/media/AudioResampler.h"

namespace {

using media::detail::AudioChunker;
using media::detail::AudioResampler;
using media::detail::FramePtr;

AVChannelLayout Stereo() {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, 2);
    return layout;
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

bool Write(AudioChunker& chunker, const std::vector<std::int16_t>& data) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(const_cast<std::int16_t*>(data.data()));
    std::uint8_t* planes[] = {bytes};
    return chunker.Write(planes, static_cast<int>(data.size() / 2));
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
        EXPECT_EQ(AudioChunker::ChunkSize(c.frameSize, c.variable), c.chunk)
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
        AudioChunker chunker(AV_SAMPLE_FMT_S16, Stereo(), 48000, c.chunk);
        ASSERT_TRUE(chunker.ok());
        if (c.start != AV_NOPTS_VALUE) chunker.StartAt(c.start);
        std::vector<int> sizes;
        std::vector<std::int16_t> out;
        std::int64_t expectedPts = c.start == AV_NOPTS_VALUE ? 0 : c.start;
        int written = 0;
        auto take = [&](bool last) {
            for (FramePtr frame;;) {
                ASSERT_TRUE(chunker.Next(frame, last));
                if (!frame) return;
                sizes.push_back(frame->nb_samples);
                EXPECT_EQ(frame->pts, expectedPts) << "positions run on sample by sample";
                EXPECT_EQ(frame->sample_rate, 48000);
                EXPECT_EQ(frame->ch_layout.nb_channels, 2);
                expectedPts += frame->nb_samples;
                const auto* samples = reinterpret_cast<const std::int16_t*>(frame->data[0]);
                out.insert(out.end(), samples, samples + frame->nb_samples * 2);
            }
        };
        for (int piece : c.pieces) {
            ASSERT_TRUE(Write(chunker, Numbered(piece, written)));
            written += piece;
            take(false);
        }
        take(true);
        EXPECT_EQ(sizes, c.frames);
        EXPECT_EQ(out, Numbered(written, 0)) << "every sample once, in order";
    }
}

TEST(AudioChunkerTest, SilenceStaysSilentInPlanarFloat) {
    AudioChunker chunker(AV_SAMPLE_FMT_FLTP, Stereo(), 44100, 1024);
    ASSERT_TRUE(chunker.ok());
    std::vector<float> silence(1500, 0.0f);
    std::uint8_t* planes[] = {reinterpret_cast<std::uint8_t*>(silence.data()),
                              reinterpret_cast<std::uint8_t*>(silence.data())};
    ASSERT_TRUE(chunker.Write(planes, 1500));
    int total = 0;
    for (FramePtr frame;;) {
        ASSERT_TRUE(chunker.Next(frame, true));
        if (!frame) break;
        for (int c = 0; c < 2; ++c)
            for (int n = 0; n < frame->nb_samples; ++n)
                ASSERT_EQ(reinterpret_cast<const float*>(frame->data[c])[n], 0.0f);
        total += frame->nb_samples;
    }
    EXPECT_EQ(total, 1500);
}

// The resampler in front of the chunker: sound that fits passes untouched;
// another rate comes out at the target's length once drained.
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
        AudioResampler resampler(AV_SAMPLE_FMT_S16, Stereo(), 48000);
        AudioChunker chunker(AV_SAMPLE_FMT_S16, Stereo(), 48000, 1 << 20);
        FramePtr in(av_frame_alloc());
        in->format = c.format;
        in->sample_rate = c.rate;
        in->nb_samples = c.samples;
        av_channel_layout_default(&in->ch_layout, c.channels);
        ASSERT_GE(av_frame_get_buffer(in.get(), 0), 0);
        for (int p = 0; p < AV_NUM_DATA_POINTERS && in->buf[p]; ++p)
            std::memset(in->buf[p]->data, 0, in->buf[p]->size);
        if (c.format == AV_SAMPLE_FMT_S16 && c.channels == 2) {
            const auto numbered = Numbered(c.samples, 0);
            std::memcpy(in->data[0], numbered.data(), numbered.size() * 2);
        }
        ASSERT_TRUE(resampler.Convert(in.get(), chunker));
        ASSERT_TRUE(resampler.Convert(nullptr, chunker));
        FramePtr out;
        ASSERT_TRUE(chunker.Next(out, true));
        ASSERT_TRUE(out);
        EXPECT_NEAR(out->nb_samples, c.expected, 2);
        if (c.rate == 48000 && c.format == AV_SAMPLE_FMT_S16 && c.channels == 2) {
            EXPECT_EQ(std::memcmp(out->data[0], in->data[0], c.samples * 4), 0)
                << "sound that fits is not touched";
        }
    }
}

}  // namespace
