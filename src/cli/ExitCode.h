#pragma once
// What the command line's conversion tells its caller.
namespace cli {

enum ExitCode : int {
    kDone = 0,
    kFailed = 1,  // the reason went to standard error
    kUsage = 2,
    kOutputExists = 3,  // left as it was; a run that went on kept its file beside it
    kSourceEnded = 4,   // the source ended before its duration; the output is kept
};

}  // namespace cli
