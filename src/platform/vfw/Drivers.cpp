// The drivers: one per named compressor of the device catalogue, video and
// audio, each over a compressor filter whose settings hold and check the
// driver's options.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/Text.h"
#include "platform/media/ContainerCodecs.h"
#include "platform/media/DeviceEnum.h"
#include "platform/media/PropertyPages.h"
#include "platform/registry/Registry.h"
#include "platform/ui/PropertyFrame.h"
#include "platform/vfw/Internal.h"
#include "platform/vfw/Vfw.h"

namespace vfw {
namespace {

struct DriverEntry {
    DWORD type = ICTYPE_VIDEO;
    std::string encoder;
    std::string description;
    DWORD handler = 0;
    std::shared_ptr<media::Moniker> moniker;
};

// Handler codes are four letters or digits made from the encoder's name, so
// they stay the same from run to run; a clash takes the next free code.
DWORD HandlerFor(const std::string& encoder, std::set<DWORD>& taken) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (std::uint32_t salt = 0;; ++salt) {
        std::uint32_t h = 2166136261u ^ salt;
        for (unsigned char c : encoder) h = (h ^ c) * 16777619u;
        char code[4];
        for (char& c : code) {
            c = kAlphabet[h % 36];
            h /= 36;
        }
        const DWORD fourcc = mmioFOURCC(code[0], code[1], code[2], code[3]);
        if (taken.insert(fourcc).second) return fourcc;
    }
}

bool KnownType(DWORD type) { return type == ICTYPE_VIDEO || type == ICTYPE_AUDIO; }

// Built on first success: the catalogue is fixed for the life of the process.
// Unknown types have none.
const std::vector<DriverEntry>& Drivers(DWORD type) {
    struct List {
        std::mutex mutex;
        std::vector<DriverEntry> drivers;
        bool built = false;
    };
    static List video, audio, none;
    if (!KnownType(type)) return none.drivers;
    List& list = type == ICTYPE_VIDEO ? video : audio;
    std::vector<DriverEntry>& drivers = list.drivers;
    std::lock_guard lock(list.mutex);
    if (list.built) return drivers;
    std::shared_ptr<media::CreateDevEnum> devices;
    std::shared_ptr<media::EnumMoniker> monikers;
    const media::Guid& category = type == ICTYPE_VIDEO ? media::CLSID_VideoCompressorCategory
                                                       : media::CLSID_AudioCompressorCategory;
    if (FAILED(media::CreateSystemDeviceEnum(devices)) ||
        devices->CreateClassEnumerator(category, monikers, 0) != S_OK || !monikers)
        return drivers;  // empty now; tried again next time
    std::set<DWORD> taken;
    std::shared_ptr<media::Moniker> moniker;
    while (monikers->Next(moniker) == S_OK) {
        std::shared_ptr<media::PropertyBag> bag;
        DriverEntry entry;
        if (FAILED(moniker->BindToStorage(bag)) || !bag ||
            bag->Read("FriendlyName", entry.description) != S_OK ||
            bag->Read("FFmpegEncoder", entry.encoder) != S_OK)
            continue;  // a compressor without a readable name has no driver
        entry.type = type;
        entry.handler = HandlerFor(entry.encoder, taken);
        entry.moniker = moniker;
        drivers.push_back(std::move(entry));
    }
    list.built = true;
    return drivers;
}

// Shown values of some encoder options are scaled for people: bitrates in
// kbit/s, quantizers instead of FFmpeg's lambda units.
long long ScaleOf(const std::string& key) {
    if (key == "b") return 1000;
    if (key == "global_quality") return 118;  // FF_QP2LAMBDA
    return 1;
}

std::mutex g_labelMutex;
// Until the program gives its own texts.
std::map<std::string, std::string> g_labels = {
    {"b", "Bitrate (kbit/s)"},
    {"global_quality", "Constant quantizer (lower is better)"},
    {"g", "Key-frame interval (frames)"},
    {"bf", "B-frames between reference frames"},
    {"qmin", "Smallest quantizer"},
    {"qmax", "Largest quantizer"},
};
// Vorbis reads "global_quality" as its quality, where more is better.
std::map<std::string, std::string> g_audioLabels = {
    {"b", "Bitrate (kbit/s)"},
    {"global_quality", "Quality (higher is better)"},
};

std::map<std::string, std::string>& LabelsOf(DWORD type) {
    return type == ICTYPE_AUDIO ? g_audioLabels : g_labels;
}

std::map<std::string, std::string> g_descriptions, g_audioDescriptions;
std::string g_advancedTitle = "Advanced";
std::map<std::string, std::string>& DescriptionsOf(DWORD type) {
    return type == ICTYPE_AUDIO ? g_audioDescriptions : g_descriptions;
}

// The settings people change, in the order they look for them: how good (or how
// large) the result is, how often a full picture comes, and the encoder's speed
// and player-compatibility switches. Everything else is advanced.
constexpr const char* kFirstSettings[] = {"crf",      "global_quality", "b",       "g",   "preset",
                                          "deadline", "cpu-used",       "profile", "tune"};

int ImportanceOf(const std::string& key) {
    for (std::size_t i = 0; i < std::size(kFirstSettings); ++i)
        if (key == kFirstSettings[i]) return static_cast<int>(i);
    return -1;
}

constexpr const char* kX26xPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                        "medium",    "slow",      "slower",   "veryslow", "placebo"};

struct DriverOption {
    std::string key;
    std::string label;
    ui::FrameOption::Type type = ui::FrameOption::Type::Text;
    double minimum = 0;
    double maximum = 0;
    long long scale = 1;
    std::vector<std::pair<std::string, std::string>> choices;
};

constexpr char kStateMagic[8] = {'Q', 'V', 'F', 'W', 'S', 'T', '0', '1'};
constexpr std::size_t kNameBytes = 32;
constexpr std::size_t kHeaderBytes = sizeof kStateMagic + kNameBytes;
constexpr std::size_t kSlotBytes = 96;  // "key=value" and its terminating zero

// Stored numbers have a point whatever the locale.
bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* first = text.c_str() + (text[0] == '+' ? 1 : 0);
    const char* last = text.c_str() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

// A stored value the encoder does not take.
struct IgnoredValue {
    std::string key;
    std::string value;
    double minimum = 0;
    double maximum = 0;
};

}  // namespace

class Driver {
public:
    const DriverEntry* entry = nullptr;
    std::shared_ptr<media::Filter> filter;  // never runs: describes and checks values
    std::shared_ptr<media::SpecifyPropertyPages> pages;
    std::vector<DriverOption> options;
    std::vector<std::string> values;   // FFmpeg values, one per option
    std::vector<std::string> initial;  // the encoder's own, before anything was loaded
    std::vector<IgnoredValue> ignored;  // stored values the encoder does not take

    bool Init(const DriverEntry& e) {
        entry = &e;
        if (FAILED(e.moniker->BindToObject(filter)) || !filter) return false;
        pages = media::QuerySpecifyPropertyPages(filter);
        std::vector<media::PropertyPage> described;
        if (!pages || FAILED(pages->GetPages(described))) return false;
        // Every setting the encoder offers, each once, with the encoder's own range.
        for (const auto& page : described)
            for (const auto& o : page.options) AddOption(o);
        SeedStartingValues();
        initial = values;
        LoadSaved();
        return true;
    }

    // Whether the encoder takes this value; the filter keeps it, which is harmless.
    // The encoder's own starting value always is (FFmpeg may start outside the
    // range it takes from a person, as "no quantizer chosen" does).
    bool Accepts(const DriverOption& option, const std::string& value) {
        const auto i = static_cast<std::size_t>(&option - options.data());
        if (i < initial.size() && value == initial[i]) return true;
        return value.size() + option.key.size() + 2 <= kSlotBytes &&
               value.find('\0') == std::string::npos &&
               SUCCEEDED(pages->SetOption(option.key, value));
    }

    // Nothing to set, no state.
    std::size_t StateSize() const {
        return options.empty() ? 0 : kHeaderBytes + kSlotBytes * options.size();
    }

    // Only what differs from the encoder's own starting values: the rest stays the
    // encoder's (and the conversion's) to choose, in this FFmpeg and the next.
    void SaveForUser() const {
        registry::Store& store = registry::Store::User();
        const std::string key = DriverStateKey(entry->encoder, entry->type);
        store.Set(key, "Description", registry::Value::String(entry->description));
        for (std::size_t i = 0; i < options.size(); ++i) {
            if (values[i] != initial[i])
                store.Set(key, options[i].key, registry::Value::String(values[i]));
            else if (store.Get(key, options[i].key))
                store.DeleteValue(key, options[i].key);
        }
    }

    std::string Shown(std::size_t i) const {
        if (options[i].scale == 1) return values[i];
        double v = 0;
        if (!ParseNumber(values[i], v)) return values[i];
        return std::to_string(static_cast<long long>(v) / options[i].scale);
    }

    std::string FromShown(std::size_t i, const std::string& shown) const {
        if (options[i].scale == 1) return shown;
        double v = 0;
        if (!ParseNumber(shown, v)) return shown;  // refused by Accepts
        return std::to_string(static_cast<long long>(v) * options[i].scale);
    }

private:
    void AddOption(const media::FilterOption& o) {
        DriverOption option;
        option.key = o.name;
        {
            std::lock_guard lock(g_labelMutex);
            const auto& labels = LabelsOf(entry->type);
            const auto label = labels.find(o.name);
            option.label = label != labels.end() ? label->second : (o.help.empty() ? o.name : o.help);
        }
        option.type = o.type;
        option.scale = ScaleOf(o.name);
        option.choices = o.choices;
        if (option.key == "preset" && option.type == ui::FrameOption::Type::Text &&
            entry->encoder.rfind("libx26", 0) == 0) {
            option.type = ui::FrameOption::Type::Choice;
            for (const char* preset : kX26xPresets) option.choices.emplace_back(preset, preset);
        }
        const double scale = static_cast<double>(option.scale);
        option.minimum = o.minimum / scale;
        option.maximum = o.maximum / scale;
        options.push_back(std::move(option));
        values.push_back(o.value);
    }

    // The starting values are the conversion's (MPEG-4 at quantizer 4, H.264 at
    // veryfast and quality 21, AAC at 160 kbit/s), not FFmpeg's: the dialog shows
    // what a run would use. A value the run chooses from the frame size (VP8's
    // bitrate cap), and a bitrate a quality setting makes unused, show as a dash.
    void SeedStartingValues() {
        const auto large = media::EncoderDefaults(entry->encoder, 1280, 720, 25);
        const auto small = media::EncoderDefaults(entry->encoder, 640, 360, 25);
        bool qualityMode = false;
        for (const auto& [name, value] : large) {
            if (name == "crf" || name == "global_quality") qualityMode = true;
            const bool bySize = std::find(small.begin(), small.end(), std::pair(name, value)) == small.end();
            for (std::size_t i = 0; i < options.size(); ++i)
                if (options[i].key == name) values[i] = bySize ? "0" : value;
        }
        const bool bitrateSet = std::any_of(large.begin(), large.end(),
                                            [](const auto& option) { return option.first == "b"; });
        if (qualityMode && !bitrateSet)
            for (std::size_t i = 0; i < options.size(); ++i)
                if (options[i].key == "b") values[i] = "0";
    }

    void LoadSaved() {
        const registry::Store& store = registry::Store::User();
        const std::string key = DriverStateKey(entry->encoder, entry->type);
        if (!store.KeyExists(key)) return;
        for (std::size_t i = 0; i < options.size(); ++i) {
            const auto saved = store.Get(key, options[i].key);
            if (!saved || saved->type != registry::ValueType::String) continue;
            if (Accepts(options[i], saved->text))
                values[i] = saved->text;
            else  // hand-edited, or kept by another FFmpeg: the encoder's own value stays
                ignored.push_back({options[i].key, saved->text,
                                   options[i].minimum * static_cast<double>(options[i].scale),
                                   options[i].maximum * static_cast<double>(options[i].scale)});
        }
    }
};

void SetOptionLabels(const std::map<std::string, std::string>& labels, DWORD fccType) {
    std::lock_guard lock(g_labelMutex);
    auto& current = LabelsOf(fccType);
    for (const auto& [name, label] : labels)
        if (!label.empty()) current[name] = label;
}

void SetOptionDescriptions(const std::map<std::string, std::string>& descriptions,
                           const std::string& advancedTitle, DWORD fccType) {
    std::lock_guard lock(g_labelMutex);
    if (!advancedTitle.empty()) g_advancedTitle = advancedTitle;
    auto& current = DescriptionsOf(fccType);
    for (const auto& [name, text] : descriptions)
        if (!text.empty()) current[name] = text;
}

std::string DriverStateKey(const std::string& encoderName, DWORD fccType) {
    return std::string("Software\\QuorvelStudio\\") +
           (fccType == ICTYPE_AUDIO ? "AudioCompressors\\" : "VideoCompressors\\") + encoderName;
}

bool ICInfo(DWORD fccType, DWORD index, ICINFO& info) {
    const auto& drivers = Drivers(fccType);
    if (index >= drivers.size()) return false;
    const DriverEntry& e = drivers[index];
    info = ICINFO{};
    info.fccType = e.type;
    info.fccHandler = e.handler;
    info.szName = e.encoder.substr(0, 15);
    info.szDescription = e.description;
    info.szDriver = "libavcodec";
    return true;
}

HIC ICOpen(DWORD fccType, DWORD fccHandler, unsigned mode) {
    if (mode != ICMODE_COMPRESS && mode != ICMODE_QUERY) return nullptr;
    for (const DriverEntry& e : Drivers(fccType)) {
        if (e.handler != fccHandler) continue;
        auto driver = std::make_unique<Driver>();
        if (!driver->Init(e)) return nullptr;
        return driver.release();
    }
    return nullptr;
}

LRESULT ICClose(HIC hic) {
    delete hic;
    return ICERR_OK;
}

LRESULT ICGetInfo(HIC hic, ICINFO& info) {
    if (!hic) return 0;
    const DriverEntry& e = *hic->entry;
    info = ICINFO{};
    info.fccType = e.type;
    info.fccHandler = e.handler;
    info.szName = e.encoder.substr(0, 15);
    info.szDescription = e.description;
    info.szDriver = "libavcodec";
    return static_cast<LRESULT>(info.dwSize);
}

LRESULT ICCompressQuery(HIC hic, const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output) {
    if (!hic) return ICERR_BADHANDLE;
    if (!input) return ICERR_BADPARAM;
    if (hic->entry->type != ICTYPE_VIDEO) return ICERR_BADFORMAT;
    // Uncompressed RGB in, as the platform hands frames to a compressor.
    if (input->biSize < sizeof(BITMAPINFOHEADER) || input->biPlanes != 1 ||
        input->biCompression != BI_RGB || (input->biBitCount != 24 && input->biBitCount != 32))
        return ICERR_BADFORMAT;
    const int width = input->biWidth;
    const int height = input->biHeight < 0 ? -input->biHeight : input->biHeight;
    if (output && (output->biWidth != input->biWidth ||
                   (output->biHeight < 0 ? -output->biHeight : output->biHeight) != height))
        return ICERR_BADFORMAT;  // a compressor does not scale
    return detail::EncoderAcceptsSize(hic->entry->encoder, width, height) ? ICERR_OK
                                                                          : ICERR_BADFORMAT;
}

LRESULT ICGetState(HIC hic, void* buffer, DWORD size) {
    if (!hic) return ICERR_BADHANDLE;
    const std::size_t needed = hic->StateSize();
    if (!buffer) return static_cast<LRESULT>(needed);
    if (needed == 0) return ICERR_UNSUPPORTED;
    if (size < needed) return ICERR_BADSIZE;
    auto* out = static_cast<char*>(buffer);
    std::memset(out, 0, needed);
    std::memcpy(out, kStateMagic, sizeof kStateMagic);
    std::memcpy(out + sizeof kStateMagic, hic->entry->encoder.data(),
                std::min(hic->entry->encoder.size(), kNameBytes - 1));
    for (std::size_t i = 0; i < hic->options.size(); ++i) {
        const std::string slot = hic->options[i].key + "=" + hic->values[i];
        std::memcpy(out + kHeaderBytes + i * kSlotBytes, slot.data(),
                    std::min(slot.size(), kSlotBytes - 1));
    }
    return ICERR_OK;
}

LRESULT ICSetState(HIC hic, const void* buffer, DWORD size) {
    if (!hic) return ICERR_BADHANDLE;
    if (!buffer || size == 0 || size != hic->StateSize()) return ICERR_BADPARAM;
    const auto* in = static_cast<const char*>(buffer);
    char name[kNameBytes] = {};
    std::memcpy(name, hic->entry->encoder.data(), std::min(hic->entry->encoder.size(), kNameBytes - 1));
    if (std::memcmp(in, kStateMagic, sizeof kStateMagic) != 0 ||
        std::memcmp(in + sizeof kStateMagic, name, kNameBytes) != 0)
        return ICERR_BADPARAM;  // not a block this driver wrote
    std::vector<std::string> values;
    for (std::size_t i = 0; i < hic->options.size(); ++i) {
        const char* slot = in + kHeaderBytes + i * kSlotBytes;
        const void* end = std::memchr(slot, '\0', kSlotBytes);
        if (!end) return ICERR_BADPARAM;
        const std::string text(slot, static_cast<const char*>(end));
        const std::string prefix = hic->options[i].key + "=";
        if (text.compare(0, prefix.size(), prefix) != 0) return ICERR_BADPARAM;
        values.push_back(text.substr(prefix.size()));
        if (!hic->Accepts(hic->options[i], values.back())) return ICERR_BADPARAM;
    }
    hic->values = std::move(values);
    return static_cast<LRESULT>(size);
}

LRESULT ICConfigure(HIC hic, ui::Dialog* owner) {
    if (!hic) return ICERR_BADHANDLE;
    if (hic->options.empty()) return ICERR_UNSUPPORTED;  // nothing to configure
    ui::FramePage page{hic->entry->description, {}};
    std::map<std::string, std::string> descriptions;
    {
        std::lock_guard lock(g_labelMutex);
        descriptions = DescriptionsOf(hic->entry->type);
        page.advancedTitle = g_advancedTitle;
    }
    for (std::size_t i = 0; i < hic->options.size(); ++i) {
        const DriverOption& o = hic->options[i];
        const auto description = descriptions.find(o.key);
        page.options.push_back(ui::FrameOption{
            o.key, o.label, o.type, o.minimum, o.maximum, hic->Shown(i), o.choices,
            description != descriptions.end() ? description->second : "", ImportanceOf(o.key) < 0});
    }
    // The settings that matter first, in their order; the rest keep the encoder's.
    std::stable_sort(page.options.begin(), page.options.end(),
                     [](const ui::FrameOption& a, const ui::FrameOption& b) {
                         const int x = ImportanceOf(a.name), y = ImportanceOf(b.name);
                         return x >= 0 && (y < 0 || x < y);
                     });
    std::vector<std::string> edited = hic->values;
    const bool confirmed = ui::ShowPropertyFrame(
        owner, hic->entry->description, {page},
        [&](const std::string& key, const std::string& shown) {
            for (std::size_t i = 0; i < hic->options.size(); ++i) {
                if (hic->options[i].key != key) continue;
                const std::string value = hic->FromShown(i, shown);
                if (!hic->Accepts(hic->options[i], value)) return false;
                edited[i] = value;
                return true;
            }
            return false;
        });
    if (!confirmed) return ICERR_ABORT;
    hic->values = std::move(edited);
    hic->SaveForUser();
    return ICERR_OK;
}

namespace {

// The last driver of this type whose description is `description`, in any letter case.
const DriverEntry* DriverNamed(const std::string& description, DWORD fccType) {
    const DriverEntry* match = nullptr;
    for (const DriverEntry& e : Drivers(fccType))
        if (text::EqualNoCase(e.description, description)) match = &e;
    return match;
}

// The driver of this type and description (the last such one) with its stored
// values loaded; empty when there is none or nothing is stored for it.
std::unique_ptr<Driver> StoredDriver(const std::string& description, DWORD fccType) {
    const DriverEntry* match = DriverNamed(description, fccType);
    if (!match || !registry::Store::User().KeyExists(DriverStateKey(match->encoder, fccType)))
        return nullptr;
    auto driver = std::make_unique<Driver>();
    if (!driver->Init(*match)) return nullptr;
    return driver;
}

}  // namespace


DriverSettings SaveDriverSettings(const std::string& description, DWORD fccType) {
    DriverSettings saved;
    const DriverEntry* entry = DriverNamed(description, fccType);
    if (!entry) return saved;
    saved.key = DriverStateKey(entry->encoder, fccType);
    Driver driver;
    if (!driver.Init(*entry)) return saved;
    const registry::Store& store = registry::Store::User();
    for (const std::string& name : [&] {
             std::vector<std::string> names{"Description"};
             for (const DriverOption& o : driver.options) names.push_back(o.key);
             return names;
         }())
        if (const auto value = store.Get(saved.key, name); value && value->type == registry::ValueType::String)
            saved.values.emplace_back(name, value->text);
    return saved;
}

void RestoreDriverSettings(const DriverSettings& saved) {
    if (saved.key.empty()) return;
    registry::Store& store = registry::Store::User();
    store.DeleteKey(saved.key);
    for (const auto& [name, value] : saved.values) store.Set(saved.key, name, registry::Value::String(value));
}

void ResetDriverSettings(const std::string& description, DWORD fccType) {
    if (const DriverEntry* entry = DriverNamed(description, fccType))
        registry::Store::User().DeleteKey(DriverStateKey(entry->encoder, fccType));
}

std::map<std::string, std::string> SavedCompressorOptions(const std::string& description,
                                                          DWORD fccType) {
    std::map<std::string, std::string> options;
    const auto driver = StoredDriver(description, fccType);
    if (!driver) return options;
    // The command line shows this, once for each value however often the compressor
    // is bound; the window says it on its completion line.
    static std::mutex noted;
    static std::set<std::string> said;
    for (const IgnoredValue& i : driver->ignored) {
        std::lock_guard lock(noted);
        if (said.insert(driver->entry->encoder + "\n" + i.key + "\n" + i.value).second)
            std::fprintf(stderr, "note: %s: ignoring the stored %s=%s (outside %g to %g)\n",
                         driver->entry->encoder.c_str(), i.key.c_str(), i.value.c_str(), i.minimum,
                         i.maximum);
    }
    // Only what differs from the encoder's own: the rest is the conversion's to choose.
    for (std::size_t i = 0; i < driver->options.size(); ++i)
        if (driver->values[i] != driver->initial[i])
            options[driver->options[i].key] = driver->values[i];
    return options;
}

std::vector<std::pair<std::string, std::string>> IgnoredCompressorOptions(
    const std::string& description, DWORD fccType) {
    std::vector<std::pair<std::string, std::string>> ignored;
    if (const auto driver = StoredDriver(description, fccType))
        for (const IgnoredValue& i : driver->ignored) ignored.emplace_back(i.key, i.value);
    return ignored;
}

}  // namespace vfw
