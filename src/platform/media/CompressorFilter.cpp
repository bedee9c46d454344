// Compressor filters: an FFmpeg encoder plus the settings its property pages show.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/media/Internal.h"

namespace media::detail {
namespace {

// Options of the encoder context worth offering for every encoder of a kind.
const char* const kVideoGeneral[] = {"b", "g", "bf", "qmin", "qmax"};
const char* const kAudioGeneral[] = {"b"};

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

}  // namespace

CompressorFilter::CompressorFilter(std::string name, const AVCodec* codec)
    : Filter(std::move(name)), codec_(codec), settings_(avcodec_alloc_context3(codec)) {}

CompressorFilter::~CompressorFilter() { avcodec_free_context(&settings_); }

HRESULT CompressorFilter::GetPages(std::vector<PropertyPage>& pages) {
    std::lock_guard lock(mutex_);
    pages.clear();
    if (!settings_) return E_OUTOFMEMORY;
    PropertyPage general{"General", {}};
    const bool video = codec_->type == AVMEDIA_TYPE_VIDEO;
    for (const char* name :
         video ? std::vector<const char*>(std::begin(kVideoGeneral), std::end(kVideoGeneral))
               : std::vector<const char*>(std::begin(kAudioGeneral), std::end(kAudioGeneral))) {
        const AVOption* o = av_opt_find(settings_, name, nullptr, 0, 0);
        FilterOption option;
        if (o && Describe(settings_, o, option)) general.options.push_back(std::move(option));
    }
    pages.push_back(std::move(general));
    if (settings_->priv_data) {
        PropertyPage own{codec_->long_name ? codec_->long_name : codec_->name, {}};
        const AVOption* o = nullptr;
        while ((o = av_opt_next(settings_->priv_data, o))) {
            FilterOption option;
            if (o->type != AV_OPT_TYPE_CONST && Describe(settings_->priv_data, o, option))
                own.options.push_back(std::move(option));
        }
        if (!own.options.empty()) pages.push_back(std::move(own));
    }
    return S_OK;
}

HRESULT CompressorFilter::SetOption(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    if (!settings_) return E_OUTOFMEMORY;
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
