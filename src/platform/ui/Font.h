#pragma once
// The platform's font description: the thirteen values of a LOGFONT plus its face name.
#include <cstdint>
#include <string>

namespace ui {

struct LogFont {
    std::int32_t height = 0;  // < 0: character height in pixels; > 0: cell height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;  // 400 normal, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;
    bool operator==(const LogFont&) const = default;
};

// The face name field holds 31 bytes and its terminator.
inline constexpr std::size_t kMaxFaceNameBytes = 31;

// The desktop's own interface font and size (character height in pixels);
// without a running application, 8 points of the default face.
LogFont DesktopFont();

// Whether a font can be made from the description (CreateFontIndirect's
// answer): sizes and weight must lie in the ranges a screen font can have.
bool CanCreateFont(const LogFont& font);

}  // namespace ui
