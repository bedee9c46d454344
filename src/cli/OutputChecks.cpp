#include "cli/OutputChecks.h"

#include <filesystem>

#include "platform/media/Media.h"

namespace cli {

namespace fs = std::filesystem;

SourceCheck CheckSource(const std::string& input) {
    const HRESULT hr = media::CheckSourceFile(input);
    if (FAILED(hr)) return {false, input + ": " + media::ErrorText(hr)};
    return {true, {}};
}

OutputCheck CheckOutput(const std::string& input, const std::string& output, bool overwrite) {
    std::error_code ec;
    if (fs::equivalent(input, output, ec) && !ec)
        return {OutputVerdict::Refused, output + " is the source file itself; choose another output"};
    const fs::file_status status = fs::symlink_status(output, ec);
    if (!fs::exists(status)) return {OutputVerdict::Fresh, {}};
    if (fs::is_directory(fs::status(output, ec)))
        return {OutputVerdict::Refused, output + " is a folder"};
    return {overwrite ? OutputVerdict::Replace : OutputVerdict::Exists, {}};
}

}  // namespace cli
