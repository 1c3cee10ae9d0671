#pragma once

#include <csignal>

#include "engine/ResultCode.h"

namespace nemora::cli {

// The command line's exit statuses, one per kind of outcome.
enum ExitCode : int {
    kExitOk = 0,
    kExitLeaks = 1,          // audit: a public file holds text of a protected page
    kExitUsage = 2,          // bad arguments (the parser's own status)
    kExitPassword = 3,       // no password could be had, or the two entries differ
    kExitLoad = 4,           // a page could not be read
    kExitPublish = 5,        // a page could not be published
    kExitWrongPassword = 6,  // unlock: the password does not open the data file
    kExitBadDataFile = 7,    // unlock: the data file is damaged, or no data file at all
    kExitFile = 8,           // unlock: the data file cannot be opened or read, or the page written
    kExitNotASite = 9,       // audit: the folder holds no page this program locked
    kExitInterrupted = 130,  // lock -r: ended by Ctrl-C (the shell's status for SIGINT)
    kExitTerminated = 143,   // lock -r: ended by SIGTERM (the shell's status for it)
};

// The status of a run that a signal asked to end: the shell's 128 + the
// signal's number, so a script tells Ctrl-C from a termination.
inline ExitCode ExitCodeOfSignal(int signal) {
    return signal == SIGTERM ? kExitTerminated : kExitInterrupted;
}

// The status of a page's save.
inline ExitCode ExitCodeOfSave(engine::Result result) {
    if (result == engine::Result::Ok || result == engine::Result::Published) return kExitOk;
    if (result == engine::Result::NoPassword || result == engine::Result::PasswordNotShiftJis) {
        return kExitPassword;
    }
    return kExitPublish;
}

}  // namespace nemora::cli
