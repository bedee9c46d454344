#pragma once
// Case rules for the ASCII names the program compares: compressor and driver
// descriptions, registry names, file extensions. Bytes above 127 are left as
// they are, so UTF-8 text is never cut or changed.
#include <string>
#include <string_view>

namespace text {

// `c`, or `text`, with A-Z turned into a-z.
char Lowered(char c);
std::string Lowered(std::string text);
// Whether `a` and `b` are equal when A-Z and a-z count as the same.
bool EqualNoCase(std::string_view a, std::string_view b);
// Orders as strcasecmp does: below zero, zero or above zero.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace text
