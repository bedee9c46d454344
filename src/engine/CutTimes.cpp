#include "engine/CutTimes.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "platform/Time.h"
#include "resources/Resources.h"

namespace engine {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool Digits(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 9) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseClockTime(std::string_view text, std::int64_t& time) {
    text = Trimmed(text);
    std::int64_t fraction = 0;
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        std::string_view digits = text.substr(dot + 1);
        if (digits.empty() || digits.size() > 7 || !Digits(digits, fraction)) return false;
        for (std::size_t i = digits.size(); i < 7; ++i) fraction *= 10;
        text = text.substr(0, dot);
    }
    std::vector<std::int64_t> parts;
    for (;;) {
        const auto colon = text.find(':');
        std::int64_t value = 0;
        if (!Digits(text.substr(0, colon), value)) return false;
        parts.push_back(value);
        if (colon == std::string_view::npos) break;
        text = text.substr(colon + 1);
    }
    if (parts.size() > 3) return false;
    std::int64_t seconds = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && parts[i] > 59) return false;
        seconds = seconds * 60 + parts[i];
    }
    time = seconds * kHundredNsPerSecond + fraction;
    return true;
}

std::string ClockTimeText(std::int64_t time) {
    const std::int64_t ms = (time < 0 ? 0 : time) / 10000;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

CutCheck CheckCut(std::string_view startText, std::string_view endText, std::string_view lengthText,
                  std::int64_t duration, std::int64_t& start, std::int64_t& stop) {
    start = stop = 0;
    if (!Trimmed(startText).empty() && !ParseClockTime(startText, start)) return CutCheck::BadText;
    if (!Trimmed(endText).empty()) {
        if (!ParseClockTime(endText, stop)) return CutCheck::BadText;
        if (stop <= start) return CutCheck::Order;
    } else if (!Trimmed(lengthText).empty()) {
        std::int64_t length = 0;
        if (!ParseClockTime(lengthText, length)) return CutCheck::BadText;
        if (length <= 0) return CutCheck::Order;
        stop = start + length;
    }
    return CheckCutPlace(start, stop, duration);
}

CutCheck CheckCutPlace(std::int64_t start, std::int64_t stop, std::int64_t duration) {
    if (duration > 0 && (start >= duration || stop > duration)) return CutCheck::Outside;
    return CutCheck::Ok;
}

std::int64_t PartLength(std::int64_t start, std::int64_t stop, std::int64_t duration) {
    const std::int64_t end = stop > 0 ? stop : duration;
    return end > start ? end - start : 0;
}

std::string CutCheckText(CutCheck check, std::int64_t duration) {
    using namespace resources;
    switch (check) {
        case CutCheck::Ok:
            return {};
        case CutCheck::BadText:
            return i18n::StringText(IDS_MESSAGE_CUT_FORMAT);
        case CutCheck::Order:
            return i18n::StringText(IDS_MESSAGE_CUT_ORDER);
        case CutCheck::Outside:
            return i18n::FormatText(IDS_MESSAGE_CUT_OUTSIDE, ClockTimeText(duration).c_str());
    }
    return {};
}

}  // namespace engine
