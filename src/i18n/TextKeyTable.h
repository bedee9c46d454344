#pragma once
// The built-in table that ties the key names of a language file to the
// numeric IDs by which windows, menus and messages ask for their texts.
#include <array>
#include <string>
#include <string_view>

namespace i18n {

struct TextKey {
    int id;
    const char* key;
};

// Popup keys name submenus: the menu's ID times 65536 for the first submenu,
// plus one for each further one.
inline constexpr int kPopupKeyFactor = 65536;

inline constexpr std::size_t kTextKeyCount = 220;
extern const std::array<TextKey, kTextKeyCount> kTextKeyTable;

// The file section a key is read from, by its prefix: "STRING" for IDS,
// "MENU" for IDM and IDR, "DIALOG" for IDD and IDC; empty for anything else.
std::string_view SectionOfKey(std::string_view key);

// Turns the escapes \t, \n and \r (lower-case only) into tab, line feed and
// carriage return. There is no escape for the backslash itself.
std::string Unescape(std::string text);

}  // namespace i18n
