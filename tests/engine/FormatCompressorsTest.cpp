// Each format's compressor lists: what its container holds, each name once, the
// preferred compressor first, and indices that keep naming the same encoder.
#include <gtest/gtest.h>

#include <set>

#include "MediaFixtures.h"
#include "TestEnv.h"
#include "engine/CompressorCatalog.h"
#include "engine/OutputFormat.h"
#include "platform/media/Media.h"

namespace {

using engine::CompressorCategory;
using engine::FormatCompressor;

constexpr int kListedFormats[] = {engine::kAvi, engine::kMkv, engine::kAsf, engine::kWebm,
                                  engine::kMp4};

std::string EncoderOf(CompressorCategory category, int index) {
    std::shared_ptr<media::CreateDevEnum> devices;
    std::shared_ptr<media::EnumMoniker> monikers;
    media::CreateSystemDeviceEnum(devices);
    devices->CreateClassEnumerator(category == CompressorCategory::Video
                                       ? media::CLSID_VideoCompressorCategory
                                       : media::CLSID_AudioCompressorCategory,
                                   monikers, 0);
    std::shared_ptr<media::Moniker> moniker;
    for (int i = 0; monikers->Next(moniker) == S_OK; ++i) {
        if (i != index) continue;
        std::shared_ptr<media::PropertyBag> bag;
        std::string encoder;
        moniker->BindToStorage(bag);
        bag->Read("FFmpegEncoder", encoder);
        return encoder;
    }
    return {};
}

TEST(FormatCompressorsTest, ListsHoldOnlyWhatTheContainerTakesEachNameOnceThePreferredFirst) {
    for (int format : kListedFormats) {
        const auto& row = engine::OutputFormatTable[static_cast<std::size_t>(format)];
        for (auto category : {CompressorCategory::Video, CompressorCategory::Audio}) {
            SCOPED_TRACE(std::string(row.selectorText) +
                         (category == CompressorCategory::Video ? " video" : " audio"));
            const auto list = engine::FormatCompressors(category, format);
            ASSERT_GT(list.size(), 1u);
            // Far fewer than the whole catalogue: still pictures and refused codecs are gone.
            EXPECT_LT(list.size(), engine::ListCompressors(category).size() - 1);
            EXPECT_TRUE(list.front().preferred);
            int index = -1;
            engine::FindPreferredCompressor(
                category, category == CompressorCategory::Video ? row.preferredVideo : row.preferredAudio,
                index);
            EXPECT_EQ(list.front().index, index);
            std::set<std::string> names;
            std::set<int> indices;
            for (const FormatCompressor& c : list) {
                EXPECT_TRUE(names.insert(c.name).second) << "twice: " << c.name;
                EXPECT_TRUE(indices.insert(c.index).second);
                EXPECT_EQ(c.preferred, &c == &list.front());
                const std::string encoder = EncoderOf(category, c.index);
                EXPECT_TRUE(media::MuxerHolds(row.muxer, encoder)) << encoder;
                for (const char* still : {"png", "bmp", "tiff", "gif", "jpeg2000", "targa", "a64multi"})
                    EXPECT_NE(encoder, still);
            }
        }
    }
    EXPECT_TRUE(engine::FormatCompressors(CompressorCategory::Video, engine::kWmv).empty());
    EXPECT_TRUE(engine::FormatCompressors(CompressorCategory::Video, 9).empty());
}

TEST(FormatCompressorsTest, SharedNamesAreToldApartAndIndicesStayPut) {
    // Two FFmpeg encoders call themselves "Apple ProRes"; each says which one it is.
    const auto rows = engine::ListCompressors(CompressorCategory::Video);
    std::set<std::string> seen;
    for (const auto& name : rows) EXPECT_TRUE(seen.insert(name).second) << "twice: " << name;
    EXPECT_TRUE(seen.count("Apple ProRes (prores_aw)"));
    EXPECT_TRUE(seen.count("Apple ProRes (prores)"));
    // The same build gives the same index to the same encoder, call after call.
    for (int format : kListedFormats) {
        const auto first = engine::FormatCompressors(CompressorCategory::Video, format);
        const auto second = engine::FormatCompressors(CompressorCategory::Video, format);
        ASSERT_EQ(first.size(), second.size());
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(first[i].index, second[i].index);
            EXPECT_EQ(rows[static_cast<std::size_t>(first[i].index) + 1], first[i].name);
        }
    }
}

TEST(FormatCompressorsTest, WebMOffersVp8AndVorbisButNeverAnAviOnlyCodec) {
    const auto video = engine::FormatCompressors(CompressorCategory::Video, engine::kWebm);
    const auto audio = engine::FormatCompressors(CompressorCategory::Audio, engine::kWebm);
    EXPECT_EQ(video.front().name, "WebM VP8 Encoder Filter");
    EXPECT_EQ(audio.front().name, "Xiph.Org Vorbis Encoder");
    for (const auto& c : video) EXPECT_NE(EncoderOf(CompressorCategory::Video, c.index), "mpeg4");
    for (const auto& c : audio) EXPECT_NE(EncoderOf(CompressorCategory::Audio, c.index), "adpcm_ms");
}

TEST(FormatCompressorsTest, Mp4StartsWithH264AndAacAndNewerCodecsReachMkvAndMp4) {
    const auto video = engine::FormatCompressors(CompressorCategory::Video, engine::kMp4);
    const auto audio = engine::FormatCompressors(CompressorCategory::Audio, engine::kMp4);
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(EncoderOf(CompressorCategory::Video, video.front().index), "libx264");
    EXPECT_EQ(EncoderOf(CompressorCategory::Audio, audio.front().index), "aac");
    // Neither container holds what only AVI's wrappings carry.
    for (const auto& c : audio) EXPECT_NE(EncoderOf(CompressorCategory::Audio, c.index), "adpcm_ms");
    // Whatever H.265 and AV1 encoders this FFmpeg has, both containers offer.
    for (int format : {engine::kMkv, engine::kMp4}) {
        std::set<std::string> listed;
        for (const auto& c : engine::FormatCompressors(CompressorCategory::Video, format))
            listed.insert(EncoderOf(CompressorCategory::Video, c.index));
        const auto catalogue = engine::ListCompressors(CompressorCategory::Video);
        for (std::size_t i = 0; i + 1 < catalogue.size(); ++i) {
            const std::string encoder = EncoderOf(CompressorCategory::Video, static_cast<int>(i));
            if (encoder == "libx265" || encoder == "libsvtav1" || encoder == "libaom-av1") {
                EXPECT_TRUE(listed.count(encoder)) << encoder << " in format " << format;
            }
        }
        EXPECT_TRUE(listed.count("libx264")) << format;
    }
}

}  // namespace
