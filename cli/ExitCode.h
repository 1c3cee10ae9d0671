#pragma once

#include "engine/ResultCode.h"

namespace nemora::cli {

// The command line's exit statuses, one per kind of outcome.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 2,          // bad arguments (the parser's own status)
    kExitPassword = 3,       // no password could be had, or the two entries differ
    kExitLoad = 4,           // a page could not be read
    kExitPublish = 5,        // a page could not be published
    kExitWrongPassword = 6,  // unlock: the password does not open the data file
    kExitBadDataFile = 7,    // unlock: the data file is damaged, or no data file at all
    kExitFile = 8,           // unlock: the data file cannot be opened or read, or the page written
    kExitInterrupted = 130,  // lock -r: ended by Ctrl-C (the shell's status for SIGINT)
};

// The status of a page's save.
inline ExitCode ExitCodeOfSave(engine::Result result) {
    if (result == engine::Result::Ok || result == engine::Result::Published) return kExitOk;
    if (result == engine::Result::NoPassword || result == engine::Result::PasswordNotShiftJis) {
        return kExitPassword;
    }
    return kExitPublish;
}

}  // namespace nemora::cli
