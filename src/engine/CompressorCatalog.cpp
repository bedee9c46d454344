#include "engine/CompressorCatalog.h"

#include "engine/OutputFormat.h"
#include "platform/Text.h"
#include "platform/media/Media.h"
#include "platform/ui/MessageBox.h"
#include "platform/vfw/Vfw.h"

namespace engine {
namespace {

const media::Guid& CategoryId(CompressorCategory category) {
    return category == CompressorCategory::Video ? media::CLSID_VideoCompressorCategory
                                                 : media::CLSID_AudioCompressorCategory;
}

// The category's monikers in enumeration order; empty (after its message) on failure.
std::vector<std::shared_ptr<media::Moniker>> Enumerate(CompressorCategory category) {
    std::vector<std::shared_ptr<media::Moniker>> monikers;
    std::shared_ptr<media::CreateDevEnum> devices;
    if (FAILED(media::CreateSystemDeviceEnum(devices))) {
        ui::AppMessageBox("Failed to create system enumerator");
        return monikers;
    }
    std::shared_ptr<media::EnumMoniker> enumerator;
    const HRESULT hr = devices->CreateClassEnumerator(CategoryId(category), enumerator, 0);
    if (FAILED(hr)) {
        ui::AppMessageBox("Failed to create class enumerator");
        return monikers;
    }
    if (hr == S_FALSE || !enumerator) return monikers;
    enumerator->Reset();
    std::shared_ptr<media::Moniker> moniker;
    while (enumerator->Next(moniker) == S_OK) monikers.push_back(moniker);
    return monikers;
}

vfw::DWORD DriverType(CompressorCategory category) {
    return category == CompressorCategory::Video ? vfw::ICTYPE_VIDEO : vfw::ICTYPE_AUDIO;
}

bool FriendlyName(media::Moniker& moniker, std::string& name) {
    std::shared_ptr<media::PropertyBag> bag;
    if (FAILED(moniker.BindToStorage(bag)) || !bag) return false;
    return bag->Read("FriendlyName", name) == S_OK;
}

// `settings`: the compressor's settings for this instance; null: what the person confirmed.
void Bind(CompressorCategory category, int index, std::shared_ptr<media::Filter>* slot,
          const std::map<std::string, std::string>* settings = nullptr) {
    slot->reset();
    if (index < 0) return;
    const auto monikers = Enumerate(category);
    if (index >= static_cast<int>(monikers.size())) return;
    media::Moniker& moniker = *monikers[static_cast<std::size_t>(index)];
    if (FAILED(moniker.BindToObject(*slot))) {
        slot->reset();
        ui::AppMessageBox("Failed to bind to object");
        return;
    }
    if (settings) {
        if (!settings->empty()) media::SetFilterOptions(*slot, *settings);
        return;
    }
    // What the user confirmed in the driver of the same name applies here too.
    std::string name;
    if (FriendlyName(moniker, name))
        if (const auto saved = vfw::SavedCompressorOptions(name, DriverType(category)); !saved.empty())
            media::SetFilterOptions(*slot, saved);
}

}  // namespace

std::vector<std::string> ListCompressors(CompressorCategory category) {
    std::vector<std::string> rows{category == CompressorCategory::Video
                                      ? "Full frames (uncompressed)"
                                      : "Uncompressed Audio"};
    for (const auto& moniker : Enumerate(category)) {
        std::string name;
        // An unnamed device is listed under its display name so rows keep matching indexes.
        if (!FriendlyName(*moniker, name)) moniker->GetDisplayName(name);
        rows.push_back(name);
    }
    return rows;
}

std::vector<FormatCompressor> FormatCompressors(CompressorCategory category, int format) {
    std::vector<FormatCompressor> rows;
    if (!IsValidFormat(format)) return rows;
    const OutputFormatRow& row = FormatRow(format);
    if (!row.muxer) return rows;
    const char* fragment = category == CompressorCategory::Video ? row.preferredVideo : row.preferredAudio;
    int preferred = -1;
    if (fragment) FindPreferredCompressor(category, fragment, preferred);
    const auto monikers = Enumerate(category);
    for (std::size_t i = 0; i < monikers.size(); ++i) {
        std::string name, encoder;
        std::shared_ptr<media::PropertyBag> bag;
        if (FAILED(monikers[i]->BindToStorage(bag)) || !bag ||
            bag->Read("FFmpegEncoder", encoder) != S_OK || !media::MuxerHolds(row.muxer, encoder))
            continue;
        if (!FriendlyName(*monikers[i], name)) monikers[i]->GetDisplayName(name);
        const int index = static_cast<int>(i);
        FormatCompressor entry{index, name, index == preferred};
        if (entry.preferred)
            rows.insert(rows.begin(), std::move(entry));
        else
            rows.push_back(std::move(entry));
    }
    return rows;
}

bool FormatTakesUncompressed(CompressorCategory category, int format) {
    if (!IsValidFormat(format)) return false;
    const char* muxer = FormatRow(format).muxer;
    return muxer &&
           media::MuxerHolds(muxer, category == CompressorCategory::Video ? "rawvideo" : "pcm_s16le");
}

bool FindPreferredCompressor(CompressorCategory category, std::string_view fragment, int& index) {
    const std::string_view limited = fragment.substr(0, 255);
    const auto monikers = Enumerate(category);
    for (std::size_t i = 0; i < monikers.size(); ++i) {
        std::string name;
        if (!FriendlyName(*monikers[i], name)) continue;
        if (text::Lowered(name).find(limited) != std::string::npos) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void GetCompressorWith(CompressorCategory category, int index,
                       const std::map<std::string, std::string>& settings,
                       std::shared_ptr<media::Filter>* slot) {
    if (slot) Bind(category, index, slot, &settings);
}

int FindCompressorByName(CompressorCategory category, std::string_view name) {
    if (name.empty()) return -1;
    const auto monikers = Enumerate(category);
    for (std::size_t i = 0; i < monikers.size(); ++i) {
        std::string friendly, encoder;
        std::shared_ptr<media::PropertyBag> bag;
        const bool hasBag = SUCCEEDED(monikers[i]->BindToStorage(bag)) && bag;
        if ((hasBag && bag->Read("FriendlyName", friendly) == S_OK && text::EqualNoCase(friendly, name)) ||
            (hasBag && bag->Read("FFmpegEncoder", encoder) == S_OK && text::EqualNoCase(encoder, name)))
            return static_cast<int>(i);
    }
    return -1;
}

void GetCompressor(int index, std::shared_ptr<media::Filter>* slot) {
    if (!slot) {
        ui::AppMessageBox("GetCompressor received invalid pointer");
        return;
    }
    Bind(CompressorCategory::Video, index, slot);
}

void GetAudioCompressor(int index, std::shared_ptr<media::Filter>* slot) {
    if (!slot) {
        ui::AppMessageBox("GetAudioCompressor received invalid pointer");
        return;
    }
    Bind(CompressorCategory::Audio, index, slot);
}

std::string CompressorName(CompressorCategory category, int index) {
    if (index < 0) return {};
    const auto rows = ListCompressors(category);
    const auto row = static_cast<std::size_t>(index) + 1;
    return row < rows.size() ? rows[row] : std::string();
}

std::vector<std::string> StoredSettingsNotUsed(const std::string& compressorName,
                                               CompressorCategory category) {
    std::vector<std::string> notes;
    if (compressorName.empty()) return notes;
    for (const auto& [key, value] :
         vfw::IgnoredCompressorOptions(compressorName, DriverType(category)))
        notes.push_back(compressorName + ": " + key + "=" + value);
    return notes;
}

}  // namespace engine
