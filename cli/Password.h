#pragma once

#include <optional>
#include <string>

#include "engine/SecretString.h"

namespace nemora::cli {

// Where the password comes from. Never from the command line itself, where
// other users can read it.
struct PasswordOptions {
    std::string file;        // --password-file: its first line
    bool fromStdin = false;  // --password-stdin: the first line of standard input
};

// How often a password asked on the terminal is typed: twice where a typing
// error would lock a page with a password nobody knows.
enum class PasswordEntry { TypedOnce, TypedTwice };

// The password from the file, standard input or NEMORA_PASSWORD, in that
// order; otherwise asked on the terminal without echo (typed twice: asked
// again, a few times, while the two entries differ). Nothing when none of
// these gives one; `error` then says why, and without a terminal lists the
// other ways to give it.
std::optional<engine::SecretString> ReadPassword(const PasswordOptions& options,
                                                 PasswordEntry entry, std::string& error);

// ReadPassword, its error printed on standard error under the program's
// name when it gives nothing.
std::optional<engine::SecretString> ReadPasswordOrSay(const PasswordOptions& options,
                                                      PasswordEntry entry);

}  // namespace nemora::cli
