#include "options/OutputSettings.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <climits>
#include <cstdio>

#include "app/DefaultOutputPath.h"
#include "app/OtherMakersFilters.h"
#include "app/Profile.h"
#include "engine/ConversionGraph.h"
#include "options/OutputFormat.h"
#include "platform/shell/Shell.h"

namespace options {
namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kVideoSection = "DexVideoCompress";
constexpr const char* kAudioSection = "DexAudioCompress";
constexpr int kDefaultVideoBitrate = 780 * 1024;
constexpr int kAudioBitrates[] = {64000, 128000, 192000, 320000};

using engine::CompressorCategory;
using engine::ConversionGraph;

bool g_nonWebmIndicesLoaded = false;

// Resolves one stored compressor choice: never stored means the preferred
// compressor, -1 means none; a real choice fills the slot.
int ResolveCompressor(CompressorCategory category, int stored, const char* fragment,
                      int& useCompressor) {
    ConversionGraph& graph = ConversionGraph::Instance();
    auto fill = [&](int index) {
        if (category == CompressorCategory::Video)
            graph.GetCompressor(index);
        else
            graph.GetAudioCompressor(index);
    };
    int index = stored;
    if (index == UnstoredIndex) {
        index = fragment ? graph.FindPreferredCompressor(category, fragment) : -1;
        if (index < 0) {
            useCompressor = 0;
            index = -1;
        } else {
            fill(index);
        }
    } else if (index == -1) {
        useCompressor = 0;
    } else {
        useCompressor = 1;
        fill(index);
    }
    return index;
}

}  // namespace

bool NonWebmIndicesLoaded() { return g_nonWebmIndicesLoaded; }

int FamilyFormat(int format) { return format == kWebm || format == kMp4 ? format : kAvi; }

bool SharesCompressors(int format) { return FamilyFormat(format) == kAvi; }

int& VideoCompressorSlot(OutputSettings& s, int format) {
    switch (FamilyFormat(format)) {
        case kWebm: return s.webmVideoCompressorIndex;
        case kMp4: return s.mp4VideoCompressorIndex;
        default: return s.videoCompressorIndex;
    }
}

int& AudioCompressorSlot(OutputSettings& s, int format) {
    switch (FamilyFormat(format)) {
        case kWebm: return s.webmAudioCompressorIndex;
        case kMp4: return s.mp4AudioCompressorIndex;
        default: return s.audioCompressorIndex;
    }
}

const char* CompressorNumberKey(int format) {
    switch (FamilyFormat(format)) {
        case kWebm: return "WebmCompressorNumber";
        case kMp4: return "Mp4CompressorNumber";
        default: return "CompressorNumber";
    }
}

int AtoiLike(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

int RoundFrameSize(std::string_view text) {
    const int rounded = AtoiLike(text) / 8 * 8;
    return rounded < 16 ? 16 : rounded;
}

std::string FormatFrameRate(double frameRate) {
    // Settings files are read back on any desktop: a point whatever the user's locale.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, frameRate,
                                         std::chars_format::fixed, 3);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0.000");
}

void LoadOutputSettings(OutputSettings& s, const LoadContext& context) {
    auto profile = app::Profile();
    s.format = profile.GetInt(kSettings, "nOuptputFormat", 0);

    const bool shared = SharesCompressors(s.format);
    if (shared) app::DisableDivXFeedback();
    const char* numberKey = CompressorNumberKey(s.format);
    const OutputFormatRow& fragments =
        OutputFormatTable[static_cast<std::size_t>(FamilyFormat(s.format))];
    const int v = ResolveCompressor(CompressorCategory::Video,
                                    profile.GetInt(kVideoSection, numberKey, UnstoredIndex),
                                    fragments.preferredVideo, s.useVideoCompressor);
    const int a = ResolveCompressor(CompressorCategory::Audio,
                                    profile.GetInt(kAudioSection, numberKey, UnstoredIndex),
                                    fragments.preferredAudio, s.useAudioCompressor);
    VideoCompressorSlot(s, s.format) = v;
    AudioCompressorSlot(s, s.format) = a;
    g_nonWebmIndicesLoaded = shared;

    // With a damaged format the path stays as read, unforced: nothing of it is lost.
    s.outputPath = app::DefaultOutputPath(context.owner, context.osMajorVersion, kSettings,
                                          "OutputName", app::FallbackOutputPath(),
                                          shell::CSIDL_MYVIDEO);
    ForceOutputExtension(s.format, s.outputPath, s.outputPath);

    s.outputWidth = profile.GetInt(kSettings, "OutputWidth", 0);
    s.outputHeight = profile.GetInt(kSettings, "OutputHigh", 0);
    s.videoBitrate = profile.GetInt(kSettings, "n_video_bitrate", kDefaultVideoBitrate);
    s.audioBitrate = profile.GetInt(kSettings, "n_audio_bitrate", 128000);
    s.fileProfile = profile.GetInt(kSettings, "b_file_profile", 0);
}

void StoreOutputSettings(OutputSettings& s, const OptionsControlValues& c) {
    auto profile = app::Profile();
    ConversionGraph& graph = ConversionGraph::Instance();

    s.format = c.formatIndex;
    profile.WriteInt(kSettings, "nOuptputFormat", s.format);

    profile.WriteInt(kSettings, "OutputFrameRateIndex", c.frameRateIndex);
    profile.WriteString(kSettings, "OutputFrameRate", c.frameRateText);
    s.frameRate = kFrameRate;

    s.outputPath = c.pathText;
    profile.WriteString(kSettings, "OutputName", s.outputPath);

    s.outputWidth = RoundFrameSize(c.widthText);
    s.outputHeight = RoundFrameSize(c.heightText);
    profile.WriteInt(kSettings, "OutputWidth", s.outputWidth);
    profile.WriteInt(kSettings, "OutputHigh", s.outputHeight);

    const int v = c.videoSelectorIndex - 1;
    const int a = c.audioSelectorIndex - 1;
    // WebM's pair is fixed by the dialog and never written; MP4's is chosen, so kept.
    if (s.format != kWebm) profile.WriteInt(kVideoSection, CompressorNumberKey(s.format), v);
    VideoCompressorSlot(s, s.format) = v;
    if (SharesCompressors(s.format)) g_nonWebmIndicesLoaded = true;
    if (v == -1) {
        s.useVideoCompressor = 0;
    } else {
        graph.GetCompressor(v);
        s.useVideoCompressor = 1;
    }
    if (s.format != kWebm) profile.WriteInt(kAudioSection, CompressorNumberKey(s.format), a);
    AudioCompressorSlot(s, s.format) = a;
    if (a == -1) {
        s.useAudioCompressor = 0;
    } else {
        graph.GetAudioCompressor(a);
        s.useAudioCompressor = 1;
    }

    // Typed in kbit/s; saturates instead of overflowing on absurd input.
    const long long bitrate = static_cast<long long>(AtoiLike(c.videoBitrateText)) * 1024;
    s.videoBitrate = static_cast<int>(std::clamp<long long>(bitrate, INT_MIN, INT_MAX));
    profile.WriteInt(kSettings, "n_video_bitrate", s.videoBitrate);

    if (c.audioBitrateIndex >= 0 && c.audioBitrateIndex < 4)
        s.audioBitrate = kAudioBitrates[c.audioBitrateIndex];
    profile.WriteInt(kSettings, "n_audio_bitrate", s.audioBitrate);
}

}  // namespace options
