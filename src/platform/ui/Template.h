#pragma once
// Dialog and menu templates as plain data, in dialog units, so that the
// resources need no toolkit types.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ui {

struct DuRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

enum class ControlKind {
    PushButton,
    DefPushButton,
    Static,
    Edit,
    DropDownList,
    ListBox,
    Icon,
    GroupBox,
    ProgressBar,  // a sunken bar that carries its text
    ListView,     // rows of cells under column headings (a report view), one row selected
};

// Style bits that matter to this program's templates.
enum ControlStyle : std::uint32_t {
    kTabStop = 1u << 0,
    kHidden = 1u << 1,
    kDisabled = 1u << 2,
    kCenter = 1u << 3,         // static/edit: centred horizontally
    kCenterVertical = 1u << 4, // static: centred vertically
    kSunken = 1u << 5,         // static: sunken border
    kWrap = 1u << 6,           // static: text wraps (left-aligned)
    kNoPrefix = 1u << 7,       // static: '&' is shown, not an accelerator
    kAutoScroll = 1u << 8,     // edit: horizontal auto-scroll
    kVScroll = 1u << 9,        // list box: vertical scroll bar
    kNotify = 1u << 10,        // list box: notifies selection
    kSort = 1u << 11,          // list box / combo: sorted
    kBorder = 1u << 12,        // edit: border
};

struct ControlTemplate {
    int id = -1;  // 65535 (-1 as 16-bit) for unnamed labels
    ControlKind kind = ControlKind::Static;
    std::string text;
    DuRect rect;
    std::uint32_t style = 0;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    DuRect rect;  // x, y and size of the client area in dialog units
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    bool systemMenu = true;
    bool minimizeBox = false;
    std::vector<ControlTemplate> controls;  // template order = z-order = tab order
    // The template's initial data: entries that drop-down lists start with, by control ID.
    std::vector<std::pair<int, std::vector<std::string>>> listItems;
};

struct MenuItemTemplate {
    std::string text;
    int id = 0;  // 0 with no children: separator
    std::vector<MenuItemTemplate> children;
    bool popup = false;  // opens a submenu (children may be empty)
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuItemTemplate> items;  // top level
};

}  // namespace ui
