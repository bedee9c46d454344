#pragma once
// printf-style formatting into a string of any length.
#include <cstdarg>
#include <cstdio>
#include <string>

inline std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline std::string StrFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}
