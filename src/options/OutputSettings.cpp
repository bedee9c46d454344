#include "options/OutputSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>

#include "engine/ConversionGraph.h"
#include "options/DefaultOutputPath.h"
#include "options/OtherMakersFilters.h"
#include "options/OutputFormat.h"
#include "platform/shell/Shell.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace options {
namespace {

constexpr int kDefaultVideoBitrate = 780 * 1024;

using engine::CompressorCategory;
using engine::ConversionGraph;
using settings::kAudioSection;
using settings::kAudioTracksValue;
using settings::kFormatValue;
using settings::kSettingsSection;
using settings::kVideoSection;

bool g_nonWebmIndicesLoaded = false;

// Resolves one stored compressor choice: never stored means the preferred
// compressor, -1 means none; a real choice fills the slot.
int ResolveCompressor(CompressorCategory category, int stored, const char* fragment,
                      bool& useCompressor) {
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
            useCompressor = false;
            index = -1;
        } else {
            fill(index);
        }
    } else if (index == -1) {
        useCompressor = false;
    } else {
        useCompressor = true;
        fill(index);
    }
    return index;
}

}  // namespace

bool NonWebmIndicesLoaded() { return g_nonWebmIndicesLoaded; }

const char* CompressorNumberKey(int format) {
    return engine::FormatRow(engine::FamilyFormat(format)).compressorNumberKey;
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

void LoadOutputSettings(engine::OutputSettings& s, const LoadContext& context) {
    auto profile = settings::Profile();
    s.format = profile.GetInt(kSettingsSection, kFormatValue, 0);

    const bool shared = engine::SharesCompressors(s.format);
    if (shared) DisableDivXFeedback();
    const char* numberKey = CompressorNumberKey(s.format);
    const engine::OutputFormatRow& fragments = engine::FormatRow(engine::FamilyFormat(s.format));
    const int v = ResolveCompressor(CompressorCategory::Video,
                                    profile.GetInt(kVideoSection, numberKey, UnstoredIndex),
                                    fragments.preferredVideo, s.useVideoCompressor);
    const int a = ResolveCompressor(CompressorCategory::Audio,
                                    profile.GetInt(kAudioSection, numberKey, UnstoredIndex),
                                    fragments.preferredAudio, s.useAudioCompressor);
    engine::VideoCompressorSlot(s, s.format) = v;
    engine::AudioCompressorSlot(s, s.format) = a;
    g_nonWebmIndicesLoaded = shared;

    // With a damaged format the path stays as read, unforced: nothing of it is lost.
    s.outputPath = DefaultOutputPath(context.owner, context.osMajorVersion, kSettingsSection,
                                     "OutputName", FallbackOutputPath(), shell::CSIDL_MYVIDEO);
    ForceOutputExtension(s.format, s.outputPath, s.outputPath);

    s.outputWidth = profile.GetInt(kSettingsSection, "OutputWidth", 0);
    s.outputHeight = profile.GetInt(kSettingsSection, "OutputHigh", 0);
    s.videoBitrate = profile.GetInt(kSettingsSection, "n_video_bitrate", kDefaultVideoBitrate);
    s.audioBitrate = profile.GetInt(kSettingsSection, "n_audio_bitrate", 128000);
    s.fileProfile = profile.GetInt(kSettingsSection, "b_file_profile", 0);
    s.allAudioTracks = profile.GetInt(kSettingsSection, kAudioTracksValue, 0) != 1;
    s.preset = profile.GetString(kSettingsSection, "Preset", "");
    s.longerSideAtMost = std::max(0, profile.GetInt(kSettingsSection, "LongerSideAtMost", 0));
    s.targetSizeMB = std::max(0, profile.GetInt(kSettingsSection, "TargetSizeMB", 0));
}

void StoreOutputSettings(engine::OutputSettings& s, const OptionsControlValues& c) {
    auto profile = settings::Profile();
    ConversionGraph& graph = ConversionGraph::Instance();

    s.format = c.formatIndex;
    profile.WriteInt(kSettingsSection, kFormatValue, s.format);

    profile.WriteInt(kSettingsSection, "OutputFrameRateIndex", c.frameRateIndex);
    profile.WriteString(kSettingsSection, "OutputFrameRate", c.frameRateText);
    s.frameRate = engine::kFrameRate;

    s.outputPath = c.pathText;
    profile.WriteString(kSettingsSection, "OutputName", s.outputPath);

    s.outputWidth = RoundFrameSize(c.widthText);
    s.outputHeight = RoundFrameSize(c.heightText);
    profile.WriteInt(kSettingsSection, "OutputWidth", s.outputWidth);
    profile.WriteInt(kSettingsSection, "OutputHigh", s.outputHeight);

    const int v = c.videoSelectorIndex - 1;
    const int a = c.audioSelectorIndex - 1;
    // WebM's pair is fixed by the dialog and written only when a preset chose it;
    // MP4's is chosen, so kept.
    const bool writePair = s.format != engine::kWebm || !c.preset.empty();
    if (writePair) profile.WriteInt(kVideoSection, CompressorNumberKey(s.format), v);
    engine::VideoCompressorSlot(s, s.format) = v;
    if (engine::SharesCompressors(s.format)) g_nonWebmIndicesLoaded = true;
    if (v == -1) {
        s.useVideoCompressor = false;
    } else {
        graph.GetCompressor(v);
        s.useVideoCompressor = true;
    }
    if (writePair) profile.WriteInt(kAudioSection, CompressorNumberKey(s.format), a);
    engine::AudioCompressorSlot(s, s.format) = a;
    if (a == -1) {
        s.useAudioCompressor = false;
    } else {
        graph.GetAudioCompressor(a);
        s.useAudioCompressor = true;
    }

    // Typed in kbit/s; saturates instead of overflowing on absurd input.
    const long long bitrate = static_cast<long long>(AtoiLike(c.videoBitrateText)) * 1024;
    s.videoBitrate = static_cast<int>(std::clamp<long long>(bitrate, INT_MIN, INT_MAX));
    profile.WriteInt(kSettingsSection, "n_video_bitrate", s.videoBitrate);

    if (c.audioBitrateIndex >= 0 && c.audioBitrateIndex < 4)
        s.audioBitrate = kAudioBitrates[c.audioBitrateIndex];
    profile.WriteInt(kSettingsSection, "n_audio_bitrate", s.audioBitrate);

    if (c.audioTracksIndex == 0 || c.audioTracksIndex == 1) {
        s.allAudioTracks = c.audioTracksIndex == 0;
        profile.WriteInt(kSettingsSection, kAudioTracksValue, s.allAudioTracks ? 0 : 1);
    }
    // An empty or unreadable field asks for nothing.
    s.preset = c.preset;
    s.longerSideAtMost = std::max(0, AtoiLike(c.longerSideText));
    s.targetSizeMB = std::max(0, AtoiLike(c.targetSizeText));
    profile.WriteString(kSettingsSection, "Preset", s.preset);
    profile.WriteInt(kSettingsSection, "LongerSideAtMost", s.longerSideAtMost);
    profile.WriteInt(kSettingsSection, "TargetSizeMB", s.targetSizeMB);
}

}  // namespace options
