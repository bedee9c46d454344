// Compressor filters: an FFmpeg encoder plus the settings its property pages show.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

// The encoder context's options that an encoder really reads, and the range it
// takes them in (FFmpeg's own limits for these are the context's, wider than
// what most encoders accept).
struct Honoured {
    const char* encoder;
    bool bitrate;
    int qmin, qmax;  // quantizer range; 0, 0: quantizers are not the encoder's
    bool bframes;
    bool constantQuantizer;  // a fixed quantizer through "global_quality"
};
constexpr Honoured kHonoured[] = {
    {"mpeg4", true, 1, 31, true, true},       {"mpeg1video", true, 1, 31, true, true},
    {"mpeg2video", true, 1, 31, true, true},  {"msmpeg4", true, 1, 31, false, true},
    {"msmpeg4v2", true, 1, 31, false, true},  {"wmv1", true, 1, 31, false, true},
    {"wmv2", true, 1, 31, false, true},       {"h261", true, 1, 31, false, true},
    {"h263", true, 1, 31, false, true},       {"h263p", true, 1, 31, false, true},
    {"flv", true, 1, 31, false, true},        {"rv10", true, 1, 31, false, true},
    {"rv20", true, 1, 31, false, true},       {"mjpeg", true, 1, 31, false, true},
    {"amv", true, 1, 31, false, true},        {"libxvid", true, 1, 31, true, false},
    {"libvpx", true, 0, 63, false, false},    {"libvpx-vp9", true, 0, 63, false, false},
    {"libaom-av1", true, 0, 63, false, false}, {"libx264", true, 0, 69, true, false},
    {"libx264rgb", true, 0, 69, true, false}, {"libx265", true, 0, 0, true, false},
    {"libtheora", true, 0, 0, false, false},  {"librav1e", true, 0, 0, false, false},
    {"libsvtav1", true, 0, 0, false, false},  {"snow", true, 0, 0, false, false},
};

const Honoured* HonouredBy(const AVCodec* codec) {
    for (const Honoured& h : kHonoured)
        if (std::strcmp(codec->name, h.encoder) == 0) return &h;
    return nullptr;
}

// Audio encoders that code at a chosen bitrate (not fixed-rate ADPCM or PCM,
// not lossless ones).
bool AudioBitrateHonoured(const AVCodec* codec) {
    const AVCodecDescriptor* d = avcodec_descriptor_get(codec->id);
    if (!d || !(d->props & AV_CODEC_PROP_LOSSY)) return false;
    return std::strncmp(codec->name, "adpcm_", 6) != 0 && std::strncmp(codec->name, "pcm_", 4) != 0;
}

// The bitrates (bit/s) an audio encoder really codes at; others take FFmpeg's
// general range, which the encoder clamps or refuses at the start.
struct AudioBitrates {
    const char* encoder;
    double minimum, maximum;
};
constexpr AudioBitrates kAudioBitrates[] = {
    {"aac", 8000, 512000},        {"libmp3lame", 8000, 320000}, {"libshine", 8000, 320000},
    {"libtwolame", 8000, 384000}, {"mp2", 8000, 384000},        {"mp2fixed", 8000, 384000},
    {"libopus", 6000, 512000},    {"ac3", 32000, 640000},       {"ac3_fixed", 32000, 640000},
};

AudioBitrates AudioBitrateRange(const AVCodec* codec) {
    for (const AudioBitrates& r : kAudioBitrates)
        if (std::strcmp(codec->name, r.encoder) == 0) return r;
    return {codec->name, 8000, 1e7};
}

// With a point whatever the locale: these texts are stored and parsed again.
std::string FormatNumber(double value) {
    char text[64];
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    const bool whole = value == std::floor(value) && std::fabs(value) < 1e15;
    const auto [end, ec] =
        whole ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0)
              : std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

std::string CurrentValue(void* object, const char* name) {
    std::uint8_t* value = nullptr;
    if (av_opt_get(object, name, 0, &value) < 0 || !value) return {};
    std::string text(reinterpret_cast<char*>(value));
    av_free(value);
    return text;
}

bool Describe(void* object, const AVOption* o, FilterOption& out) {
    if (o->flags & AV_OPT_FLAG_DEPRECATED) return false;
    if (!(o->flags & AV_OPT_FLAG_ENCODING_PARAM)) return false;
    switch (o->type) {
        case AV_OPT_TYPE_INT:
        case AV_OPT_TYPE_INT64:
        case AV_OPT_TYPE_UINT64:
            out.type = FilterOption::Type::Integer;
            out.defaultValue = FormatNumber(static_cast<double>(o->default_val.i64));
            break;
        case AV_OPT_TYPE_FLOAT:
        case AV_OPT_TYPE_DOUBLE:
            out.type = FilterOption::Type::Real;
            out.defaultValue = FormatNumber(o->default_val.dbl);
            break;
        case AV_OPT_TYPE_BOOL:
            out.type = FilterOption::Type::Boolean;
            out.defaultValue =
                o->default_val.i64 < 0 ? "auto" : (o->default_val.i64 ? "true" : "false");
            break;
        case AV_OPT_TYPE_STRING:
            out.type = FilterOption::Type::Text;
            out.defaultValue = o->default_val.str ? o->default_val.str : "";
            break;
        default:
            return false;
    }
    out.name = o->name;
    out.help = o->help ? o->help : "";
    out.minimum = o->min;
    out.maximum = o->max;
    out.value = CurrentValue(object, o->name);
    if (o->unit && out.type == FilterOption::Type::Integer) {
        const AVOption* c = nullptr;
        while ((c = av_opt_next(object, c)))
            if (c->type == AV_OPT_TYPE_CONST && c->unit && std::strcmp(c->unit, o->unit) == 0)
                out.choices.emplace_back(c->name,
                                         FormatNumber(static_cast<double>(c->default_val.i64)));
        if (!out.choices.empty()) out.type = FilterOption::Type::Choice;
    }
    return true;
}

// A context option the encoder reads, described with the encoder's range.
void AddGeneral(AVCodecContext* settings, const char* name, double minimum, double maximum,
                PropertyPage& page) {
    const AVOption* o = av_opt_find(settings, name, nullptr, 0, 0);
    FilterOption option;
    if (!o || !Describe(settings, o, option)) return;
    option.minimum = std::max(option.minimum, minimum);
    option.maximum = std::min(option.maximum, maximum);
    page.options.push_back(std::move(option));
}

}  // namespace

CompressorFilter::CompressorFilter(std::string name, const AVCodec* codec)
    : Filter(std::move(name)), codec_(codec), settings_(avcodec_alloc_context3(codec)) {}

CompressorFilter::~CompressorFilter() { avcodec_free_context(&settings_); }

std::vector<PropertyPage> CompressorFilter::Describe() const {
    std::vector<PropertyPage> pages;
    PropertyPage general{"General", {}};
    const AVCodecDescriptor* d = avcodec_descriptor_get(codec_->id);
    const bool intraOnly = d && (d->props & AV_CODEC_PROP_INTRA_ONLY);
    if (codec_->type == AVMEDIA_TYPE_VIDEO) {
        const Honoured* h = HonouredBy(codec_);
        if (h && h->bitrate) AddGeneral(settings_, "b", 1000, 1e9, general);
        if (h && h->constantQuantizer)
            AddGeneral(settings_, "global_quality", h->qmin * FF_QP2LAMBDA, h->qmax * FF_QP2LAMBDA,
                       general);
        if (!intraOnly) AddGeneral(settings_, "g", 1, 1000, general);
        if (h && h->bframes && !intraOnly) AddGeneral(settings_, "bf", 0, 16, general);
        if (h && h->qmax > 0) {
            AddGeneral(settings_, "qmin", h->qmin, h->qmax, general);
            AddGeneral(settings_, "qmax", h->qmin, h->qmax, general);
        }
    } else {
        if (AudioBitrateHonoured(codec_)) {
            const AudioBitrates range = AudioBitrateRange(codec_);
            AddGeneral(settings_, "b", range.minimum, range.maximum, general);
        }
        if (std::strcmp(codec_->name, "libvorbis") == 0)
            AddGeneral(settings_, "global_quality", 0, 10 * FF_QP2LAMBDA, general);
    }
    pages.push_back(std::move(general));
    if (settings_->priv_data) {
        PropertyPage own{codec_->long_name ? codec_->long_name : codec_->name, {}};
        // Names that reach the same setting (aliases) are offered once, under the first.
        std::set<std::pair<int, std::string>> reached;
        const AVOption* o = nullptr;
        while ((o = av_opt_next(settings_->priv_data, o))) {
            FilterOption option;
            if (o->type == AV_OPT_TYPE_CONST ||
                !reached.emplace(o->offset, o->unit ? o->unit : "").second ||
                !detail::Describe(settings_->priv_data, o, option))
                continue;
            own.options.push_back(std::move(option));
        }
        if (!own.options.empty()) pages.push_back(std::move(own));
    }
    return pages;
}

HRESULT CompressorFilter::GetPages(std::vector<PropertyPage>& pages) {
    std::lock_guard lock(mutex_);
    pages.clear();
    if (!settings_) return E_OUTOFMEMORY;
    pages = Describe();
    return S_OK;
}

HRESULT CompressorFilter::SetOption(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    if (!settings_) return E_OUTOFMEMORY;
    // Only the offered settings, and numbers only within the encoder's own range.
    const FilterOption* described = nullptr;
    const auto pages = Describe();
    for (const auto& page : pages)
        for (const auto& option : page.options)
            if (option.name == name) described = &option;
    if (!described) return E_INVALIDARG;
    if (described->type == FilterOption::Type::Integer || described->type == FilterOption::Type::Real) {
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        if (value.empty() || !end || *end != '\0' || !(number >= described->minimum) ||
            !(number <= described->maximum))
            return E_INVALIDARG;
    }
    if (av_opt_set(settings_, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN) < 0)
        return E_INVALIDARG;
    changed_[name] = value;
    return S_OK;
}

std::map<std::string, std::string> CompressorFilter::ChangedOptions() const {
    std::lock_guard lock(mutex_);
    return changed_;
}

}  // namespace media::detail

namespace media {
namespace {
std::mutex g_refusedMutex;
// Weak: a note never keeps a compressor alive.
std::vector<std::weak_ptr<Filter>> g_refused;
}  // namespace

void NoteSettingsRefused(const std::shared_ptr<Filter>& compressor, const std::string& encoderName) {
    std::fprintf(stderr, "note: %s refused the chosen settings; using its defaults\n",
                 encoderName.c_str());
    std::lock_guard lock(g_refusedMutex);
    g_refused.push_back(compressor);
}

std::vector<std::shared_ptr<Filter>> TakeSettingsRefused() {
    std::lock_guard lock(g_refusedMutex);
    std::vector<std::shared_ptr<Filter>> alive;
    for (const auto& weak : std::exchange(g_refused, {}))
        if (auto filter = weak.lock()) alive.push_back(std::move(filter));
    return alive;
}

}  // namespace media
