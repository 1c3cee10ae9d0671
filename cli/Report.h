#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/CliText.h"
#include "engine/ResultCode.h"

namespace nemora::cli {

// The subject of the messages about a run as a whole.
inline constexpr const char* kProgram = "nemora-cli";

// Every message of the command line goes through these: "subject: text" on
// standard error for a failure, on standard output for a result that is none
// (such as "published"): the result's kind decides, not its id. `argument`
// fills the text's %1.
void Report(std::string_view subject, CliText text, std::string_view argument = {});
void Report(std::string_view subject, engine::Result result, std::string_view argument = {});

// A result line with several values (%1, %2...), on standard output.
void Say(std::string_view subject, CliText text, std::span<const std::string_view> arguments);

// The same line as text, without printing it (password errors, tests).
std::string Text(CliText text, std::string_view argument = {});

// Why a file or folder of the output cannot be written (an errno), in the
// messages' language where the author can act on it; the system's words
// otherwise.
std::string WriteCause(int systemError);

}  // namespace nemora::cli
