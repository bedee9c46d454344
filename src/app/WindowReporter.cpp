#include "app/WindowReporter.h"

#include "platform/shell/Shell.h"
#include "platform/ui/MessageBox.h"

namespace app {

void WindowReporter::Say(Kind kind, const std::string& text, const std::string& caption) {
    switch (kind) {
        case Kind::Window:
            ui::MessageBox(window_, text, caption, ui::MB_OK);
            break;
        case Kind::Application:
            ui::AppMessageBox(text);
            break;
        case Kind::Unowned:
            ui::MessageBox(nullptr, text, caption, ui::MB_OK);
            break;
        case Kind::Formatted:
            ui::FormattedMessageBox("%s", text.c_str());
            break;
    }
}

void WindowReporter::OpenPage(const std::string& address) { shell::ShellOpen(address); }

}  // namespace app
