#include "cli/CompressorList.h"

#include "cli/ExitCode.h"
#include "cli/Setup.h"
#include "engine/CompressorCatalog.h"
#include "options/OutputFormat.h"

namespace cli {

std::vector<std::string> CompressorLines(int format) {
    std::vector<std::string> lines;
    if (!options::IsValidFormat(format)) return lines;
    const auto& row = options::OutputFormatTable[static_cast<std::size_t>(format)];
    if (!row.preferredVideo) return lines;  // the Windows Media writer compresses by itself
    for (const auto category : {engine::CompressorCategory::Video, engine::CompressorCategory::Audio}) {
        const bool video = category == engine::CompressorCategory::Video;
        int preferred = -1;
        engine::FindPreferredCompressor(category, video ? row.preferredVideo : row.preferredAudio,
                                        preferred);
        const std::vector<std::string> rows = engine::ListCompressors(category);
        // Row 0 is the dialog's no-compressor row; row k is catalogue entry k - 1.
        for (std::size_t k = 1; k < rows.size(); ++k)
            lines.push_back(std::string(static_cast<int>(k) - 1 == preferred ? "* " : "  ") +
                            (video ? "video: " : "audio: ") + rows[k]);
    }
    return lines;
}

int ListCompressors(const std::string& formatName) {
    if (!StartHeadless()) return kFailed;
    const int format = formatName.empty() ? StoredFormat() : FormatNumber(formatName);
    const std::vector<std::string> lines = CompressorLines(format);
    if (lines.empty())
        std::fprintf(stderr, "%s: the Windows Media writer compresses by itself; its bitrates are "
                             "set in the Options dialog.\n",
                     FormatName(format).c_str());
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return kDone;
}

}  // namespace cli
