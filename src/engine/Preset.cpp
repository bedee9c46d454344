#include "engine/Preset.h"

#include <algorithm>

#include "engine/CompressorCatalog.h"
#include "i18n/LanguagePack.h"
#include "platform/Text.h"

namespace engine {
namespace {

using namespace resources;

Preset BuiltIn(int nameKey, int descriptionKey, int format, CompressorChoice video,
               CompressorChoice audio) {
    Preset p;
    p.name = BuiltInString(nameKey);
    p.description = BuiltInString(descriptionKey);
    p.nameKey = nameKey;
    p.descriptionKey = descriptionKey;
    p.format = format;
    p.video = std::move(video);
    p.audio = std::move(audio);
    return p;
}

std::vector<Preset> MakeBuiltIns() {
    // Compressors by their FFmpeg encoders, which keep their names from one FFmpeg to the
    // next; each starts from the engine's own good settings unless it says otherwise.
    std::vector<Preset> presets;
    Preset phone = BuiltIn(IDS_PRESET_PHONE_NAME, IDS_PRESET_PHONE_DESCRIPTION, kMp4,
                           {"libx264", {}}, {"aac", {}});
    phone.longerSideAtMost = 1920;
    presets.push_back(phone);

    Preset small = BuiltIn(IDS_PRESET_SEND_NAME, IDS_PRESET_SEND_DESCRIPTION, kMp4, {"libx264", {}},
                           {"aac", {{"b", "96000"}}});
    small.longerSideAtMost = 1280;
    small.targetSizeMB = 25;  // what mail and most messengers take
    presets.push_back(small);

    // Lossless sound and a quality H.265 a person cannot tell from the source.
    Preset keep = BuiltIn(IDS_PRESET_KEEP_NAME, IDS_PRESET_KEEP_DESCRIPTION, kMkv,
                          {"libx265", {{"crf", "20"}}}, {"flac", {}});
    presets.push_back(keep);

    // VP9 at constant quality needs a bitrate of 0; speed 4 with row threads is
    // what a converter can wait for.
    Preset webm = BuiltIn(
        IDS_PRESET_WEBM_NAME, IDS_PRESET_WEBM_DESCRIPTION, kWebm,
        {"libvpx-vp9",
         {{"crf", "32"}, {"b", "0"}, {"cpu-used", "4"}, {"row-mt", "1"}, {"deadline", "good"}}},
        {"libopus", {}});
    webm.longerSideAtMost = 1920;
    presets.push_back(webm);

    // MPEG-4 part 2 marked as Xvid, and MP3, at DVD size and a rate DVD and DivX
    // players take.
    Preset avi = BuiltIn(IDS_PRESET_AVI_NAME, IDS_PRESET_AVI_DESCRIPTION, kAvi,
                         {"libxvid", {{"b", "1500000"}}}, {"libmp3lame", {}});
    avi.longerSideAtMost = 720;
    presets.push_back(avi);

    Preset wmv = BuiltIn(IDS_PRESET_WMV_NAME, IDS_PRESET_WMV_DESCRIPTION, kWmv, {}, {});
    wmv.longerSideAtMost = 1280;
    presets.push_back(wmv);

    // Matroska holds nearly every stream there is. Where a stream cannot be kept,
    // the format's preferred compressor writes it.
    Preset remux = BuiltIn(IDS_PRESET_REMUX_NAME, IDS_PRESET_REMUX_DESCRIPTION, kMkv,
                           {{}, {}, true}, {{}, {}, true});
    presets.push_back(remux);
    return presets;
}

// The index the preset's compressor of this category stands at for the format, or
// the format's preferred one (noted in `missing`) when it is not there.
int ResolveCompressor(CompressorCategory category, const std::string& name, int format,
                      std::vector<MissingCompressor>& missing) {
    const bool video = category == CompressorCategory::Video;
    const auto offered = FormatCompressors(category, format);
    auto isOffered = [&](int index) {
        return std::any_of(offered.begin(), offered.end(),
                           [&](const FormatCompressor& c) { return c.index == index; });
    };
    if (name.empty()) {
        if (FormatTakesUncompressed(category, format)) return -1;
    } else if (const int index = FindCompressorByName(category, name);
               index >= 0 && isOffered(index)) {
        return index;
    }
    const OutputFormatRow& family = FormatRow(FormatRow(format).family);
    int preferred = -1;
    FindPreferredCompressor(category, video ? family.preferredVideo : family.preferredAudio,
                            preferred);
    if (!isOffered(preferred)) preferred = offered.empty() ? -1 : offered.front().index;
    missing.push_back({name.empty() ? ListCompressors(category).front() : name,
                       CompressorName(category, preferred)});
    return preferred;
}

}  // namespace

const std::vector<Preset>& BuiltInPresets() {
    static const std::vector<Preset> presets = MakeBuiltIns();
    return presets;
}

const Preset* FindBuiltInPreset(std::string_view name) {
    for (const Preset& p : BuiltInPresets())
        if (text::EqualNoCase(p.name, name) || text::EqualNoCase(PresetTitle(p), name)) return &p;
    return nullptr;
}

std::string PresetTitle(const Preset& preset) {
    return preset.nameKey ? i18n::StringText(preset.nameKey) : preset.name;
}

std::string PresetDescription(const Preset& preset) {
    return preset.descriptionKey ? i18n::StringText(preset.descriptionKey) : preset.description;
}

void ApplyPreset(const Preset& preset, OutputSettings& s, std::vector<MissingCompressor>& missing) {
    s.preset = preset.name;
    s.format = preset.format;
    if (FormatRow(preset.format).choice != StreamChoice::Bitrates) {
        // A stream to keep that the source cannot give as it is is converted by
        // the format's preferred compressor when the run is built.
        auto slot = [&](CompressorCategory category, const CompressorChoice& choice) {
            return choice.keep ? kKeepStream
                               : ResolveCompressor(category, choice.name, preset.format, missing);
        };
        const int video = slot(CompressorCategory::Video, preset.video);
        const int audio = slot(CompressorCategory::Audio, preset.audio);
        VideoCompressorSlot(s, preset.format) = video;
        AudioCompressorSlot(s, preset.format) = audio;
        s.useVideoCompressor = video >= 0 || video == kKeepStream;
        s.useAudioCompressor = audio >= 0 || audio == kKeepStream;
    }
    s.videoBitrate = preset.videoBitrate;
    s.audioBitrate = preset.audioBitrate;
    s.allAudioTracks = preset.allAudioTracks;
    s.longerSideAtMost = preset.longerSideAtMost;
    s.targetSizeMB = preset.targetSizeMB;
}

Preset PresetOf(const OutputSettings& s, const std::string& name) {
    Preset p;
    p.name = name;
    p.format = s.format;
    ChosenCompressors(s, p.video, p.audio);
    p.videoBitrate = s.videoBitrate;
    p.audioBitrate = s.audioBitrate;
    p.allAudioTracks = s.allAudioTracks;
    p.longerSideAtMost = s.longerSideAtMost;
    p.targetSizeMB = s.targetSizeMB;
    return p;
}

}  // namespace engine
