#include "cli/OutputChecks.h"

#include <filesystem>

namespace cli {

namespace fs = std::filesystem;

SourceCheck CheckSource(const std::string& input) {
    std::error_code ec;
    const fs::file_status status = fs::status(input, ec);
    if (!fs::exists(status)) return {false, input + ": no such file"};
    if (!fs::is_regular_file(status)) return {false, input + ": not a regular file"};
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

void ReplaceOutput(const std::string& output, const OutputCheck& check) {
    if (check.verdict != OutputVerdict::Replace) return;
    std::error_code ec;
    fs::remove(output, ec);
}

}  // namespace cli
