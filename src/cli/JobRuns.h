#pragma once
// Runs the command line's jobs, N at a time, drawing their progress on standard
// error, until all have ended or Ctrl+C stops the running ones (the waiting
// ones are then never started).
//
// Threads: everything here runs on the main thread; the conversions' streaming
// threads only wake it through a condition variable when their graph has an event.
#include <string>
#include <vector>

#include "engine/Job.h"

namespace cli {

struct JobOutcome {
    int code = 1;                       // the job's exit code (ExitCode.h)
    std::string group = "not started";  // the summary's word: done, failed, skipped...
    std::string reason;                 // for the summary: what went wrong, in words
};

// The outcome of each job, in the order given. `terminal`: a single run at a
// time redraws its progress line in place.
std::vector<JobOutcome> RunJobs(const std::vector<engine::Job>& jobs, int atOnce, bool terminal);

}  // namespace cli
