#pragma once
// What the command line's conversion tells its caller.
namespace cli {

enum ExitCode : int {
    kDone = 0,
    kFailed = 1,        // the reason went to standard error
    kUsage = 2,
    kOutputExists = 3,  // the output exists and was left as it was (the run kept its file beside it, if it ran)
    kSourceEnded = 4,   // the source ended before its duration; the output is kept
};

}  // namespace cli
