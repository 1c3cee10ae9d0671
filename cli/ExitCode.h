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
    kExitBadDataFile = 7,    // unlock: the data file is damaged or cannot be read
};

// The status for a failed load or save.
inline ExitCode ExitCodeOf(engine::Result result, bool loading) {
    if (result == engine::Result::Ok || result == engine::Result::Published) return kExitOk;
    if (result == engine::Result::NoPassword || result == engine::Result::PasswordNotShiftJis) {
        return kExitPassword;
    }
    return loading ? kExitLoad : kExitPublish;
}

}  // namespace nemora::cli
