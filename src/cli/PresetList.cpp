#include "cli/PresetList.h"

#include <cstdio>

#include "cli/ExitCode.h"
#include "cli/Setup.h"
#include "options/PresetStore.h"

namespace cli {
namespace {

std::string Compressor(const char* kind, const engine::CompressorChoice& choice) {
    if (choice.keep) return std::string("keeps the ") + kind + " streams as they are";
    std::string text =
        std::string(kind) + " " + (choice.name.empty() ? "none" : "\"" + choice.name + "\"");
    std::string settings;
    for (const auto& [name, value] : choice.settings)
        settings += (settings.empty() ? "" : " ") + name + "=" + value;
    return settings.empty() ? text : text + " (" + settings + ")";
}

}  // namespace

std::vector<std::string> PresetLines(const engine::Preset& p) {
    std::vector<std::string> lines{engine::PresetTitle(p) + (p.nameKey ? "" : "  (yours)")};
    if (const std::string description = engine::PresetDescription(p); !description.empty())
        lines.push_back("    " + description);
    std::string sets = std::string("    ") + engine::FormatRow(p.format).name;
    if (engine::FormatRow(p.format).choice == engine::StreamChoice::Bitrates)
        sets += ", video at " + std::to_string(p.videoBitrate / 1024) + " kbit/s, audio at " +
                std::to_string(p.audioBitrate / 1000) + " kbit/s";
    else
        sets += ", " + Compressor("video", p.video) + ", " + Compressor("audio", p.audio);
    sets += p.allAudioTracks ? ", every audio track" : ", the default audio track";
    if (p.longerSideAtMost) sets += ", longer side at most " + std::to_string(p.longerSideAtMost);
    if (p.targetSizeMB) sets += ", target " + std::to_string(p.targetSizeMB) + " MB";
    lines.push_back(sets);
    return lines;
}

int ListPresets() {
    if (!StartHeadless()) return kFailed;
    SaySetAsideSettings();
    std::vector<engine::Preset> presets = engine::BuiltInPresets();
    for (engine::Preset& p : options::StoredPresets()) presets.push_back(std::move(p));
    for (const engine::Preset& p : presets)
        for (const std::string& line : PresetLines(p)) std::printf("%s\n", line.c_str());
    return kDone;
}

}  // namespace cli
