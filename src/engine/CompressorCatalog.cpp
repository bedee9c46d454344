#include "engine/CompressorCatalog.h"

#include "engine/Job.h"
#include "engine/OutputFormat.h"
#include "platform/Text.h"
#include "platform/media/Media.h"
#include "platform/vfw/Vfw.h"

namespace engine {
namespace {

const media::Guid& CategoryId(CompressorCategory category) {
    return category == CompressorCategory::Video ? media::CLSID_VideoCompressorCategory
                                                 : media::CLSID_AudioCompressorCategory;
}

// The category's monikers in enumeration order; empty (after its message) on failure.
std::vector<std::shared_ptr<media::Moniker>> Enumerate(CompressorCategory category,
                                                       Reporter& reporter) {
    std::vector<std::shared_ptr<media::Moniker>> monikers;
    std::shared_ptr<media::CreateDevEnum> devices;
    if (FAILED(media::CreateSystemDeviceEnum(devices))) {
        reporter.Say(Reporter::Kind::Application, "Failed to create system enumerator", {});
        return monikers;
    }
    std::shared_ptr<media::EnumMoniker> enumerator;
    const HRESULT hr = devices->CreateClassEnumerator(CategoryId(category), enumerator, 0);
    if (FAILED(hr)) {
        reporter.Say(Reporter::Kind::Application, "Failed to create class enumerator", {});
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

// A new instance from the moniker, with `settings` applied; false after the message.
bool BindMoniker(media::Moniker& moniker, const std::map<std::string, std::string>& settings,
                 std::shared_ptr<media::Filter>* slot, Reporter& reporter) {
    if (FAILED(moniker.BindToObject(*slot))) {
        slot->reset();
        reporter.Say(Reporter::Kind::Application, "Failed to bind to object", {});
        return false;
    }
    if (!settings.empty()) media::SetFilterOptions(*slot, settings);
    return true;
}

void Bind(CompressorCategory category, int index, std::shared_ptr<media::Filter>* slot,
          Reporter& reporter) {
    slot->reset();
    if (index < 0) return;
    const auto monikers = Enumerate(category, reporter);
    if (index >= static_cast<int>(monikers.size())) return;
    media::Moniker& moniker = *monikers[static_cast<std::size_t>(index)];
    // What the user confirmed in the driver of the same name applies here too.
    std::string name;
    BindMoniker(moniker,
                FriendlyName(moniker, name) ? ChangedSettings(category, name)
                                            : std::map<std::string, std::string>(),
                slot, reporter);
}

}  // namespace

std::vector<std::string> ListCompressors(CompressorCategory category, Reporter& reporter) {
    std::vector<std::string> rows{category == CompressorCategory::Video
                                      ? "Full frames (uncompressed)"
                                      : "Uncompressed Audio"};
    for (const auto& moniker : Enumerate(category, reporter)) {
        std::string name;
        // An unnamed device is listed under its display name so rows keep matching indexes.
        if (!FriendlyName(*moniker, name)) moniker->GetDisplayName(name);
        rows.push_back(name);
    }
    return rows;
}

std::vector<FormatCompressor> FormatCompressors(CompressorCategory category, int format,
                                                Reporter& reporter) {
    std::vector<FormatCompressor> rows;
    if (!IsValidFormat(format)) return rows;
    const OutputFormatRow& row = FormatRow(format);
    if (!row.muxer) return rows;
    const char* fragment = category == CompressorCategory::Video ? row.preferredVideo : row.preferredAudio;
    int preferred = -1;
    if (fragment) FindPreferredCompressor(category, fragment, preferred, reporter);
    const auto monikers = Enumerate(category, reporter);
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

bool FindPreferredCompressor(CompressorCategory category, std::string_view fragment, int& index,
                             Reporter& reporter) {
    const std::string_view limited = fragment.substr(0, 255);
    const auto monikers = Enumerate(category, reporter);
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

int FindCompressorByName(CompressorCategory category, std::string_view name, Reporter& reporter) {
    if (name.empty()) return -1;
    const auto monikers = Enumerate(category, reporter);
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

void GetCompressor(int index, std::shared_ptr<media::Filter>* slot, Reporter& reporter) {
    if (!slot) {
        reporter.Say(Reporter::Kind::Application, "GetCompressor received invalid pointer", {});
        return;
    }
    Bind(CompressorCategory::Video, index, slot, reporter);
}

void GetAudioCompressor(int index, std::shared_ptr<media::Filter>* slot, Reporter& reporter) {
    if (!slot) {
        reporter.Say(Reporter::Kind::Application, "GetAudioCompressor received invalid pointer",
                     {});
        return;
    }
    Bind(CompressorCategory::Audio, index, slot, reporter);
}

void BindCompressor(CompressorCategory category, const CompressorChoice& choice,
                    std::shared_ptr<media::Filter>* slot, Reporter& reporter) {
    slot->reset();
    if (choice.keep) {
        media::CreateStreamCopy(category == CompressorCategory::Video, *slot);
        return;
    }
    if (choice.name.empty()) return;
    for (const auto& moniker : Enumerate(category, reporter)) {
        std::string name;
        if (FriendlyName(*moniker, name) && name == choice.name) {
            BindMoniker(*moniker, choice.settings, slot, reporter);
            return;
        }
    }
}

CompressorChoice ChoiceAt(CompressorCategory category, int index) {
    CompressorChoice choice;
    if (index == kKeepStream) {
        choice.keep = true;
        return choice;
    }
    choice.name = CompressorName(category, index);
    if (!choice.name.empty()) choice.settings = ChangedSettings(category, choice.name);
    return choice;
}

void ChosenCompressors(const OutputSettings& settings, CompressorChoice& video,
                       CompressorChoice& audio) {
    OutputSettings s = settings;  // the slot accessors hand out references
    if (!IsValidFormat(s.format) || FormatRow(s.format).choice == StreamChoice::Bitrates) return;
    if (s.useVideoCompressor)
        video = ChoiceAt(CompressorCategory::Video, VideoCompressorSlot(s, s.format));
    if (s.useAudioCompressor)
        audio = ChoiceAt(CompressorCategory::Audio, AudioCompressorSlot(s, s.format));
}

std::map<std::string, std::string> ChangedSettings(CompressorCategory category,
                                                   const std::string& name) {
    return vfw::SavedCompressorOptions(name, DriverType(category));
}

std::string CompressorName(CompressorCategory category, int index, Reporter& reporter) {
    if (index < 0) return {};
    const auto rows = ListCompressors(category, reporter);
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
