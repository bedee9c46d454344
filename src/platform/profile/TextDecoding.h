#pragma once
// Layer-internal: byte-order marks.
#include <string_view>

namespace profile {

inline bool HasUtf8Bom(std::string_view b) {
    return b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF";
}
inline bool HasUtf16Bom(std::string_view b) {
    return b.size() >= 2 && (b.substr(0, 2) == "\xFF\xFE" || b.substr(0, 2) == "\xFE\xFF");
}

}  // namespace profile
