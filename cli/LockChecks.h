#pragma once

#include <string>
#include <vector>

#include "cli/ExitCode.h"

namespace nemora::cli {

// What the checks before a lock leave to lock.
struct LockInputs {
    std::vector<std::string> pages;  // as typed, those that can be locked
    ExitCode status = kExitOk;       // kExitLoad when a page was left out
    bool stop = false;               // end with `status` now: nothing to lock
};

// The checks a lock of single pages makes before the password is asked and
// before anything is written, each problem reported by the path as typed: a
// page that cannot be opened (and why), one that is no page to lock (the
// program's own output, an image...), an output that would replace a page
// or be written for two (kExitUsage), an output folder that refuses new
// files (kExitPublish).
// `folder` is the output folder as typed.
LockInputs CheckLockInputs(const std::vector<std::string>& typed, const std::string& folder,
                           bool strong);

}  // namespace nemora::cli
