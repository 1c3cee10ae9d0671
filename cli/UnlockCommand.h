#pragma once

#include <string>

#include "cli/Password.h"

namespace nemora::cli {

// What `unlock` was asked, as the argument table reads it.
struct UnlockOptions {
    std::string dataFile;
    std::string output;
    PasswordOptions password;
};

// `unlock`: reads a strong page or a classic data file back with the
// password and writes the page out. Returns the exit status.
int Unlock(const UnlockOptions& options);

}  // namespace nemora::cli
