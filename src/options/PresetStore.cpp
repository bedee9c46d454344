#include "options/PresetStore.h"

#include <algorithm>
#include <climits>

#include "platform/Text.h"
#include "settings/Profile.h"

namespace options {
namespace {

using registry::KeyContent;
using registry::Value;
using Values = std::vector<std::pair<std::string, Value>>;

constexpr const char* kPresetsSection = "Presets";
constexpr const char* kVideoSettings = "VideoSettings";
constexpr const char* kAudioSettings = "AudioSettings";
constexpr int kLargestSide = 16384;
constexpr int kLargestTargetMB = 1000000;

std::string PresetsKey() { return settings::Profile().SectionKey(kPresetsSection); }

std::string LastComponent(std::string_view path) {
    const std::size_t slash = path.find_last_of('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string_view Parent(std::string_view path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

Value Number(int value) { return Value::Dword(static_cast<std::uint32_t>(value)); }

// ---- A preset as keys of the store ------------------------------------------

std::vector<KeyContent> KeysOf(const engine::Preset& p, const std::string& key) {
    KeyContent main{key, {}};
    main.values = {
        {"Version", Number(engine::kPresetVersion)},
        {"Format", Value::String(engine::FormatRow(p.format).name)},
        {"VideoCompressor", Value::String(p.video.name)},
        {"AudioCompressor", Value::String(p.audio.name)},
        {"KeepVideoStream", Number(p.video.keep)},
        {"KeepAudioStream", Number(p.audio.keep)},
        {"AudioTracks", Value::String(p.allAudioTracks ? "all" : "default")},
        {"LongerSideAtMost", Number(p.longerSideAtMost)},
        {"TargetSizeMB", Number(p.targetSizeMB)},
        {"VideoBitrate", Number(p.videoBitrate)},
        {"AudioBitrate", Number(p.audioBitrate)},
    };
    if (!p.description.empty())
        main.values.emplace_back("Description", Value::String(p.description));
    std::vector<KeyContent> keys{main};
    for (const auto& [sub, choice] :
         {std::pair{kVideoSettings, &p.video}, {kAudioSettings, &p.audio}}) {
        if (choice->settings.empty()) continue;
        KeyContent settings{key + "\\" + sub, {}};
        for (const auto& [name, value] : choice->settings)
            settings.values.emplace_back(name, Value::String(value));
        keys.push_back(std::move(settings));
    }
    return keys;
}

const Value* Find(const Values& values, std::string_view name) {
    for (const auto& [n, v] : values)
        if (text::EqualNoCase(n, name)) return &v;
    return nullptr;
}

// Reading: every value that is there must be of its type and in its range; what
// is absent keeps the record's default.
class Reader {
public:
    explicit Reader(const Values& values) : values_(values) {}
    bool ok = true;

    void Text(std::string_view name, std::string& out) {
        if (const Value* v = Find(values_, name)) {
            if (v->type == registry::ValueType::String)
                out = v->text;
            else
                ok = false;
        }
    }
    void Int(std::string_view name, int& out, int lowest, int highest) {
        if (const Value* v = Find(values_, name)) {
            const auto n = static_cast<std::int32_t>(v->dword);
            if (v->type == registry::ValueType::Dword && n >= lowest && n <= highest)
                out = n;
            else
                ok = false;
        }
    }
    void Flag(std::string_view name, bool& out) {
        int n = out;
        Int(name, n, 0, 1);
        out = n == 1;
    }

private:
    const Values& values_;
};

enum class Read { Ok, Damaged, Newer };

// The preset at `key` among `keys` (its settings are the subkeys).
Read ReadPreset(const std::vector<KeyContent>& keys, std::string_view key, engine::Preset& p) {
    const KeyContent* main = nullptr;
    for (const KeyContent& k : keys)
        if (text::EqualNoCase(k.path, key)) main = &k;
    if (!main) return Read::Damaged;
    const Value* version = Find(main->values, "Version");
    if (!version || version->type != registry::ValueType::Dword) return Read::Damaged;
    if (static_cast<std::int32_t>(version->dword) > engine::kPresetVersion) return Read::Newer;
    if (static_cast<std::int32_t>(version->dword) < 1) return Read::Damaged;

    p = engine::Preset{};
    p.name = LastComponent(key);
    Reader r(main->values);
    std::string format, tracks = "all";
    r.Text("Format", format);
    r.Text("Description", p.description);
    r.Text("VideoCompressor", p.video.name);
    r.Text("AudioCompressor", p.audio.name);
    r.Flag("KeepVideoStream", p.video.keep);
    r.Flag("KeepAudioStream", p.audio.keep);
    r.Text("AudioTracks", tracks);
    r.Int("LongerSideAtMost", p.longerSideAtMost, 0, kLargestSide);
    r.Int("TargetSizeMB", p.targetSizeMB, 0, kLargestTargetMB);
    r.Int("VideoBitrate", p.videoBitrate, 1, INT_MAX);
    r.Int("AudioBitrate", p.audioBitrate, 1, INT_MAX);
    p.format = engine::FormatOfName(format);
    if (!r.ok || p.format < 0 || (tracks != "all" && tracks != "default")) return Read::Damaged;
    p.allAudioTracks = tracks == "all";

    for (const KeyContent& k : keys) {
        if (!text::EqualNoCase(Parent(k.path), key)) continue;
        const std::string sub = LastComponent(k.path);
        auto* settings = text::EqualNoCase(sub, kVideoSettings)   ? &p.video.settings
                         : text::EqualNoCase(sub, kAudioSettings) ? &p.audio.settings
                                                                  : nullptr;
        if (!settings) continue;
        for (const auto& [name, value] : k.values) {
            if (name.empty() || value.type != registry::ValueType::String) return Read::Damaged;
            (*settings)[name] = value.text;
        }
    }
    return Read::Ok;
}

bool NameTaken(std::string_view name, std::string_view except) {
    if (!except.empty() && text::EqualNoCase(name, except)) return false;
    if (engine::FindBuiltInPreset(name)) return true;
    for (const std::string& stored : settings::Profile().store().SubKeys(PresetsKey()))
        if (text::EqualNoCase(stored, name)) return true;
    return false;
}

}  // namespace

std::vector<engine::Preset> StoredPresets() {
    const registry::Store& store = settings::Profile().store();
    const std::string root = PresetsKey();
    std::vector<engine::Preset> presets;
    for (const std::string& name : store.SubKeys(root)) {
        const std::string key = root + "\\" + name;
        engine::Preset p;
        if (ReadPreset(store.Tree(key), key, p) == Read::Ok) presets.push_back(std::move(p));
    }
    return presets;
}

std::optional<engine::Preset> FindPreset(std::string_view name) {
    if (const engine::Preset* builtIn = engine::FindBuiltInPreset(name)) return *builtIn;
    for (engine::Preset& p : StoredPresets())
        if (text::EqualNoCase(p.name, name)) return std::move(p);
    return std::nullopt;
}

NameCheck CheckPresetName(std::string_view name, std::string_view except) {
    const bool blank = std::all_of(name.begin(), name.end(), [](char c) { return c == ' '; });
    const bool unusable = std::any_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (blank || unusable || name.size() > 200) return NameCheck::Invalid;
    return NameTaken(name, except) ? NameCheck::Taken : NameCheck::Usable;
}

bool StorePreset(const engine::Preset& preset, std::string_view replacing) {
    const std::string root = PresetsKey();
    const std::string key = root + "\\" + preset.name;
    const std::string old =
        replacing.empty() ? std::string() : root + "\\" + std::string(replacing);
    return settings::Profile().store().ReplaceTree(key, KeysOf(preset, key), old);
}

bool DeletePreset(std::string_view name) {
    return settings::Profile().store().DeleteKey(PresetsKey() + "\\" + std::string(name));
}

bool ExportPreset(const engine::Preset& preset, const std::string& file) {
    return registry::ExportKeys(file, KeysOf(preset, PresetsKey() + "\\" + preset.name));
}

ImportOutcome ImportPreset(const std::string& file, engine::Preset& imported) {
    std::string reason;
    const auto keys = registry::ImportKeys(file, reason);
    if (!keys) return ImportOutcome::Damaged;
    // The one key under a "Presets" key, whichever program's profile exported it.
    std::string key;
    for (const KeyContent& k : *keys) {
        if (!text::EqualNoCase(LastComponent(Parent(k.path)), kPresetsSection)) continue;
        if (!key.empty()) return ImportOutcome::Damaged;
        key = k.path;
    }
    if (key.empty()) return ImportOutcome::Damaged;
    switch (ReadPreset(*keys, key, imported)) {
        case Read::Damaged:
            return ImportOutcome::Damaged;
        case Read::Newer:
            return ImportOutcome::Newer;
        case Read::Ok:
            break;
    }
    if (CheckPresetName(imported.name) == NameCheck::Invalid) return ImportOutcome::Damaged;
    const std::string base = imported.name;
    for (int n = 2; CheckPresetName(imported.name) == NameCheck::Taken; ++n)
        imported.name = base + " (" + std::to_string(n) + ")";
    return StorePreset(imported) ? ImportOutcome::Imported : ImportOutcome::NotStored;
}

}  // namespace options
