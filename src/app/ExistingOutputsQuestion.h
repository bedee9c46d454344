#pragma once
// The one question a queue asks about outputs that are there already: replace
// them all, skip their jobs, or keep both files. Runs modally over `owner`.
#include <string>

namespace ui {
class Dialog;
}

namespace app {

// The button pressed: IDC_BUTTON_QUEUE_REPLACE_ALL, _SKIP or _KEEP_BOTH, else
// IDC_BUTTON_QUEUE_CANCEL (also for the close box and Escape).
int AskAboutExistingOutputs(ui::Dialog* owner, int count, const std::string& firstOutput);

}  // namespace app
