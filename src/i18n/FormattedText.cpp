#include "i18n/FormattedText.h"

#include <optional>
#include <vector>

#include "i18n/LanguagePack.h"
#include "resources/Resources.h"

namespace i18n {
namespace {

// The conversions of a format as written ("%s", "%02d"), in order; none when one
// is malformed or writes to its argument (%n).
std::optional<std::vector<std::string_view>> Conversions(std::string_view format) {
    std::vector<std::string_view> found;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        const std::size_t start = i++;
        if (i < format.size() && format[i] == '%') continue;  // a percent sign
        i = format.find_first_not_of("-+ #0'123456789.*hlLqjzt", i);
        if (i == std::string_view::npos ||
            std::string_view("diouxXeEfFgGaAcsp").find(format[i]) == std::string_view::npos)
            return std::nullopt;
        found.push_back(format.substr(start, i - start + 1));
    }
    return found;
}

}  // namespace

bool ConversionsMatch(std::string_view text, std::string_view model) {
    const auto mine = Conversions(text);
    return mine && mine == Conversions(model);
}

std::string CheckedFormat(const std::string& text, int id) {
    std::string builtIn = resources::BuiltInString(id);
    return ConversionsMatch(text, builtIn) ? text : builtIn;
}

std::string CheckedFormat(int id) {
    return CheckedFormat(LanguagePack::Instance().StringText(id), id);
}

}  // namespace i18n
