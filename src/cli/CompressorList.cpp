#include "cli/CompressorList.h"

#include "cli/ExitCode.h"
#include "cli/Setup.h"
#include "engine/CompressorCatalog.h"
#include "options/OutputFormat.h"

namespace cli {

std::vector<std::string> CompressorLines(int format) {
    std::vector<std::string> lines;
    TerminalReporter reporter;
    // Empty for WMV: the Windows Media writer compresses by itself.
    for (const auto category : {engine::CompressorCategory::Video, engine::CompressorCategory::Audio}) {
        const char* kind = category == engine::CompressorCategory::Video ? "video: " : "audio: ";
        for (const auto& entry : engine::FormatCompressors(category, format, reporter))
            lines.push_back(std::string(entry.preferred ? "* " : "  ") + kind + entry.name);
    }
    return lines;
}

int ListCompressors(const std::string& formatName) {
    if (!StartHeadless()) return kFailed;
    const int format = formatName.empty() ? StoredFormat() : engine::FormatOfName(formatName);
    SaySetAsideSettings();
    const std::vector<std::string> lines = CompressorLines(format);
    if (lines.empty())
        std::fprintf(stderr, "%s: the Windows Media writer compresses by itself; its bitrates are "
                             "set in the Options dialog.\n",
                     engine::FormatRow(format).name);
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return kDone;
}

}  // namespace cli
