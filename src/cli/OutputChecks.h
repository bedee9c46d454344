#pragma once
// The checks before the command line converts anything: a source that is a
// regular file, and an output that is neither the source nor in the way.
#include <string>

namespace cli {

struct SourceCheck {
    bool ok = false;
    std::string reason;
};
SourceCheck CheckSource(const std::string& input);

enum class OutputVerdict { Fresh, Exists, Replace, Refused };
struct OutputCheck {
    OutputVerdict verdict = OutputVerdict::Refused;
    std::string reason;  // for Refused
};
// The source and the output are compared as files (device and inode, links
// resolved), so no spelling of the path replaces the source. Replace needs
// nothing done: the run writes beside the output and moves over it at the end.
OutputCheck CheckOutput(const std::string& input, const std::string& output, bool overwrite);

}  // namespace cli
