#include "options/CodecSettings.h"

#include <algorithm>

#include "engine/ConversionGraph.h"
#include "i18n/LanguagePack.h"
#include "platform/Text.h"
#include "platform/media/Filter.h"
#include "platform/media/PropertyPages.h"
#include "platform/ui/Dialog.h"
#include "resources/Resources.h"

namespace options {
namespace {

constexpr std::string_view kFfdshowFragment = "ffdshow video encoder";

// At most `bytes` bytes, never cutting a character in two.
std::string Limited(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// Closes a driver however the sequence ends.
struct OpenDriver {
    vfw::HIC hic;
    ~OpenDriver() {
        if (hic) vfw::ICClose(hic);
    }
};

// The slot's filter is already bound; what the user just confirmed for the
// driver of its name must reach it too, not only filters bound from now on.
void ApplyToBoundCompressor(const vfw::ICINFO& info) {
    auto& graph = engine::ConversionGraph::Instance();
    const auto& filter =
        info.fccType == vfw::ICTYPE_AUDIO ? graph.audioCompressor : graph.videoCompressor;
    media::FilterInfo filterInfo;
    if (!filter || FAILED(filter->QueryFilterInfo(filterInfo)) ||
        !text::EqualNoCase(filterInfo.name, info.szDescription))
        return;
    if (const auto saved = vfw::SavedCompressorOptions(info.szDescription, info.fccType);
        !saved.empty())
        media::SetFilterOptions(filter, saved);
}

// The audio driver whose description is `name` in any letter case (the last such).
bool FindAudioDriver(const std::string& name, vfw::ICINFO& found) {
    bool matched = false;
    vfw::ICINFO info;
    for (vfw::DWORD i = 0; vfw::ICInfo(vfw::ICTYPE_AUDIO, i, info); ++i)
        if (!name.empty() && text::EqualNoCase(info.szDescription, name)) {
            found = info;
            matched = true;
        }
    return matched;
}

// The drivers name the settings that matter, and say what they do, in the
// current language.
void NameTheSettings() {
    using namespace resources;
    const auto text = [](int id) { return i18n::StringText(id); };
    vfw::SetOptionLabels({
        {"b", text(IDS_SETTING_BITRATE)},
        {"global_quality", text(IDS_SETTING_QUANTIZER)},
        {"crf", text(IDS_SETTING_CRF)},
        {"g", text(IDS_SETTING_KEYFRAME_INTERVAL)},
        {"bf", text(IDS_SETTING_BFRAMES)},
        {"qmin", text(IDS_SETTING_QMIN)},
        {"qmax", text(IDS_SETTING_QMAX)},
        {"preset", text(IDS_SETTING_PRESET)},
        {"profile", text(IDS_SETTING_PROFILE)},
        {"tune", text(IDS_SETTING_TUNE)},
        {"deadline", text(IDS_SETTING_DEADLINE)},
        {"cpu-used", text(IDS_SETTING_SPEED)},
    });
    vfw::SetOptionDescriptions({{"b", text(IDS_HINT_BITRATE)},
                                {"global_quality", text(IDS_HINT_QUALITY)},
                                {"crf", text(IDS_HINT_QUALITY)},
                                {"g", text(IDS_HINT_KEYFRAMES)},
                                {"preset", text(IDS_HINT_PRESET)},
                                {"profile", text(IDS_HINT_PROFILE)},
                                {"tune", text(IDS_HINT_TUNE)},
                                {"deadline", text(IDS_HINT_DEADLINE)},
                                {"cpu-used", text(IDS_HINT_SPEED)}},
                               text(IDS_SETTINGS_ADVANCED));
    vfw::SetOptionLabels({{"b", text(IDS_SETTING_BITRATE)},
                          {"global_quality", text(IDS_SETTING_AUDIO_QUALITY)}},
                         vfw::ICTYPE_AUDIO);
    vfw::SetOptionDescriptions({{"b", text(IDS_HINT_AUDIO_BITRATE)},
                                {"global_quality", text(IDS_HINT_AUDIO_QUALITY)}},
                               text(IDS_SETTINGS_ADVANCED), vfw::ICTYPE_AUDIO);
}

}  // namespace

vfw::BITMAPINFOHEADER ProbeInputFormat(int width, int height) {
    vfw::BITMAPINFOHEADER format;
    format.biSize = 40;
    format.biWidth = width;
    format.biHeight = height;
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = vfw::BI_RGB;
    format.biSizeImage = static_cast<vfw::DWORD>(width) * static_cast<vfw::DWORD>(height) * 3;
    return format;
}

int ListVfwCompressors(int width, int height, std::vector<vfw::ICINFO>& list) {
    list.clear();
    const vfw::BITMAPINFOHEADER probe = ProbeInputFormat(width, height);
    vfw::ICINFO info;
    for (vfw::DWORD i = 0; vfw::ICInfo(vfw::ICTYPE_VIDEO, i, info); ++i) {
        OpenDriver driver{vfw::ICOpen(info.fccType, info.fccHandler, vfw::ICMODE_COMPRESS)};
        if (!driver.hic) continue;
        if (vfw::ICCompressQuery(driver.hic, &probe, nullptr) == vfw::ICERR_OK) {
            vfw::ICINFO record;
            if (vfw::ICGetInfo(driver.hic, record) > 0) list.push_back(std::move(record));
        }
    }
    return static_cast<int>(list.size());
}

bool VersionRun(std::string_view text, std::string& run) {
    auto part = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    const auto first = std::find_if(text.begin(), text.end(), part);
    if (first == text.end()) return false;
    run.assign(first, std::find_if_not(first, text.end(), part));
    return true;
}

CodecStateStore& CodecState() {
    static CodecStateStore state;
    return state;
}

bool ConfigureVfwCompressor(ui::Dialog* owner, const vfw::ICINFO& info, CodecStateStore& state) {
    OpenDriver driver{vfw::ICOpen(info.fccType, info.fccHandler, vfw::ICMODE_COMPRESS)};
    if (!driver.hic) return false;
    const vfw::LRESULT size = vfw::ICGetStateSize(driver.hic);
    if (size <= 0) return false;  // a driver without state shows no dialog

    const auto key = std::make_pair(info.fccType, info.fccHandler);
    if (auto held = state.find(key); held != state.end()) {
        if (held->second.size() != static_cast<std::size_t>(size))
            state.erase(held);
        else
            vfw::ICSetState(driver.hic, held->second.data(), static_cast<vfw::DWORD>(size));
    }

    if (vfw::ICConfigure(driver.hic, owner) != vfw::ICERR_OK) return false;
    // Only a block the driver filled counts as its confirmed state.
    std::vector<std::uint8_t> block(static_cast<std::size_t>(size));
    if (vfw::ICGetState(driver.hic, block.data(), static_cast<vfw::DWORD>(size)) == vfw::ICERR_OK)
        state[key] = std::move(block);
    return true;
}

void OnCodecSettings(ui::Dialog& dialog, int videoSelectorId, int codecListId) {
    NameTheSettings();
    ui::Control selector = dialog.Item(videoSelectorId);
    // With no current entry the name is empty, which no driver's description matches.
    const std::string selected = Limited(selector.ItemText(selector.CurSel()), 255);

    std::vector<vfw::ICINFO> drivers;
    const int count = ListVfwCompressors(352, 240, drivers);

    ui::Control codecList = dialog.Item(codecListId);
    codecList.ResetContent();
    int match = -1;
    const bool selectedIsFfdshow =
        text::Lowered(selected).find(kFfdshowFragment) != std::string::npos;
    for (int i = 0; i < count; ++i) {
        const std::string description = Limited(drivers[static_cast<std::size_t>(i)].szDescription, 255);
        codecList.AddString(description);
        if (text::EqualNoCase(description, selected)) {
            match = i;
        } else if (match == -1 && selectedIsFfdshow &&
                   text::Lowered(description).find(kFfdshowFragment) != std::string::npos) {
            // Another build of the same encoder: the same version will do.
            std::string selectedRun, descriptionRun;
            if (VersionRun(selected, selectedRun) && VersionRun(description, descriptionRun) &&
                text::EqualNoCase(selectedRun, descriptionRun))
                match = i;
        }
    }
    if (match == -1) return;

    codecList.SetCurSel(match);
    const int chosen = codecList.CurSel();
    if (chosen < 0 || chosen >= count) return;
    const vfw::ICINFO& info = drivers[static_cast<std::size_t>(chosen)];
    if (ConfigureVfwCompressor(&dialog, info, CodecState())) ApplyToBoundCompressor(info);
}

bool AudioCompressorHasSettings(const std::string& name) {
    vfw::ICINFO info;
    if (!FindAudioDriver(name, info)) return false;
    OpenDriver driver{vfw::ICOpen(info.fccType, info.fccHandler, vfw::ICMODE_QUERY)};
    return driver.hic && vfw::ICGetStateSize(driver.hic) > 0;
}

void OnAudioCodecSettings(ui::Dialog& dialog, int audioSelectorId) {
    NameTheSettings();
    ui::Control selector = dialog.Item(audioSelectorId);
    vfw::ICINFO info;
    if (!FindAudioDriver(Limited(selector.ItemText(selector.CurSel()), 255), info)) return;
    if (ConfigureVfwCompressor(&dialog, info, CodecState())) ApplyToBoundCompressor(info);
}

}  // namespace options
