#include "cli/Setup.h"

#include <cstdio>

#include "i18n/FormattedText.h"
#include "options/OutputFormat.h"
#include "platform/media/Media.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace cli {

int TerminalBoxes::AnswerMessageBox(const ui::MessageBoxRecord& box) {
    boxes.push_back(box);
    if (quiet)
        ;
    else if (box.caption.empty())
        std::fprintf(stderr, "%s\n", box.text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    switch (box.type & 0xF) {
        case ui::MB_YESNO: return ui::IDNO;
        case ui::MB_OKCANCEL: return ui::IDCANCEL;
        default: return ui::IDOK;
    }
}

void TerminalReporter::Say(Kind kind, const std::string& text, const std::string& caption) {
    const std::string shown =
        !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
    const std::string title = kind == Kind::Application ? ui::ApplicationName()
                              : kind == Kind::Formatted ? std::string("Message")
                                                        : caption;
    std::fprintf(stderr, "%s%s%s\n", title.c_str(), title.empty() ? "" : ": ", shown.c_str());
}

void TerminalReporter::OpenPage(const std::string& address) {
    std::fprintf(stderr, "%s: see %s\n", ui::ApplicationName().c_str(), address.c_str());
}

bool StartHeadless() {
    settings::SetRegistryKey("QuorvelStudio");
    if (FAILED(media::Initialize())) {
        std::fprintf(stderr, "The media platform did not start.\n");
        return false;
    }
    return true;
}

void SaySetAsideSettings() {
    for (const auto& file : settings::Profile().store().TakeSetAside())
        std::fprintf(
            stderr, "quorvel-converter: %s\n",
            i18n::FormatText(resources::IDS_MESSAGE_SETTINGS_SET_ASIDE, file.c_str()).c_str());
}

int StoredFormat() {
    const int format =
        settings::Profile().GetInt(settings::kSettingsSection, settings::kFormatValue, 0);
    return engine::IsValidFormat(format) ? format : 0;
}

}  // namespace cli
