#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliText.h"

namespace nemora::cli {

// The name by which the command line gave `option` (the last of its names
// there), so that a message about its value names what the user typed;
// the option's first name when none is found.
std::string GivenName(const CLI::Option& option, int argc, const char* const* argv);

// "nemora-cli: NAME: VALUE: " and the text that lists the accepted values,
// on standard error.
void ReportBadValue(const std::string& name, const std::string& value, CliText accepted);

}  // namespace nemora::cli
