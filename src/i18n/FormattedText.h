#pragma once
// Language texts that are printf formats. A language file is data anyone can drop
// in a folder, so its text is used as a format only when its conversions are the
// built-in English text's: the same ones, written the same way, in the same order,
// and never %n. Otherwise the built-in text is used, and no translation can make
// the program read arguments it was not given or print its memory.
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Format.h"

namespace i18n {

// Whether `text` may stand for `model` as a format: equal conversions in order,
// none malformed, no %n.
bool ConversionsMatch(std::string_view text, std::string_view model);

// `text` when it passes that check against the built-in English text of `id`, else
// that built-in text; the second form checks the current language's STRING text.
std::string CheckedFormat(const std::string& text, int id);
std::string CheckedFormat(int id);

// Every text of a language that is formatted goes through here.
template <typename... Args>
std::string FormatText(int id, Args... args) {
    static_assert(((std::is_arithmetic_v<Args> || std::is_same_v<Args, const char*>)&&...),
                  "pass C strings and numbers, as printf takes them");
    return StrFormat(CheckedFormat(id).c_str(), args...);
}

}  // namespace i18n
