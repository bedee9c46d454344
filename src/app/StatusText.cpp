#include "app/StatusText.h"

#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "platform/Format.h"
#include "resources/Resources.h"

namespace app {

using i18n::StringText;
using namespace resources;

std::string ClockText(std::int64_t seconds) {
    return StrFormat("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                     static_cast<long long>(seconds % 3600 / 60),
                     static_cast<long long>(seconds % 60));
}

std::string InitialStatusLine(const std::string& outputPath) {
    return StrFormat("%s %s     %s %s", StringText(IDS_MESSAGE_OUTPUT_FILE).c_str(),
                     outputPath.c_str(), StringText(IDS_MESSAGE_RESOLUTION).c_str(),
                     StringText(IDS_MESSAGE_ORIGINAL_SIZE).c_str());
}

std::string SizedStatusLine(const std::string& outputPath, int width, int height) {
    return StrFormat("%s %s     %s %d*%d", StringText(IDS_MESSAGE_OUTPUT_FILE).c_str(),
                     outputPath.c_str(), StringText(IDS_MESSAGE_RESOLUTION).c_str(), width,
                     height);
}

std::string ProgressStatusLine(int elapsedSeconds) {
    return StringText(IDS_MESSAGE_USED_TIME) + " " + ClockText(elapsedSeconds);
}

std::string RunProgressLine(int elapsedSeconds, int percent, std::int64_t secondsLeft) {
    const std::string left = secondsLeft < 0 ? std::string("--:--:--") : ClockText(secondsLeft);
    return StrFormat("%s     %d%%     %s %s", ProgressStatusLine(elapsedSeconds).c_str(), percent,
                     StringText(IDS_MESSAGE_TIME_LEFT).c_str(), left.c_str());
}

std::string RunWrittenLine(int elapsedSeconds, std::int64_t writtenSeconds) {
    return StrFormat("%s     %s %s", ProgressStatusLine(elapsedSeconds).c_str(),
                     StringText(IDS_MESSAGE_WRITTEN).c_str(), ClockText(writtenSeconds).c_str());
}

std::string RunProgressCaption(int percent, const std::string& title) {
    return StrFormat("%d%% – %s", percent, title.c_str());
}

std::string EndStatusLine(const std::string& firstField, const std::string& outputPath, int width,
                          int height) {
    return StrFormat("%s. %s %s     %s %d*%d", firstField.c_str(),
                     StringText(IDS_MESSAGE_OUTPUT_FILE).c_str(), outputPath.c_str(),
                     StringText(IDS_MESSAGE_RESOLUTION).c_str(), width, height);
}

std::string SettingsNote(const std::vector<std::string>& notUsed,
                         const std::vector<std::string>& refusedBy) {
    auto joined = [](const std::vector<std::string>& parts) {
        std::string text;
        for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
        return text;
    };
    std::string note;
    if (!notUsed.empty())
        note = i18n::FormatText(IDS_MESSAGE_SETTINGS_NOT_USED, joined(notUsed).c_str());
    if (!refusedBy.empty())
        note += (note.empty() ? "" : " ") +
                i18n::FormatText(IDS_MESSAGE_SETTINGS_REFUSED, joined(refusedBy).c_str());
    return note;
}

FrameSize WrittenFrameSize(bool scaled, FrameSize settings, FrameSize source, bool evenSides) {
    auto even = [](int side) { return side > 2 ? side & ~1 : 2; };
    if (!scaled) return evenSides ? FrameSize{even(source.width), even(source.height)} : source;
    return {even(settings.width), even(settings.height)};
}

}  // namespace app
