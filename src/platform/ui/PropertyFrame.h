#pragma once
// The property frame: a modal dialog of a filter's settings, one tab per page.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/OptionType.h"

namespace ui {

class Dialog;

struct FrameOption {
    using Type = OptionType;
    std::string name;  // the key handed back
    std::string help;  // shown as the row's label
    Type type = Type::Text;
    double minimum = 0;
    double maximum = 0;
    std::string value;
    std::vector<std::pair<std::string, std::string>> choices;  // shown text, value
    std::string description;  // a short plain sentence under the field; may be empty
    bool advanced = false;    // listed under the Advanced section, closed at first
};

struct FramePage {
    std::string title;
    std::vector<FrameOption> options;
    std::string advancedTitle = "Advanced";  // the section of the advanced options
};

// Shows the frame; on OK or Apply every changed option is passed to `apply`
// (which may refuse it). Returns true when the user confirmed with OK.
bool ShowPropertyFrame(Dialog* owner, const std::string& caption,
                       const std::vector<FramePage>& pages,
                       const std::function<bool(const std::string& name, const std::string& value)>& apply);

}  // namespace ui
