#pragma once

#include <string>
#include <vector>

#include "tests/support/Process.h"

namespace nemora::test {

// What a run on a terminal showed there, besides its outputs.
struct TerminalResult : ProcessResult {
    std::string terminal;  // what the program wrote to its terminal (/dev/tty)
};

// Runs a program whose controlling terminal is a pseudo-terminal, with
// standard input empty and its outputs collected apart. Each time the
// terminal shows `prompt`, the next of `answers` is typed there (after the
// prompt, so that a program that flushes pending input first sees it). A
// program still running `seconds` after the last output is killed.
TerminalResult RunOnTerminal(const std::vector<std::string>& argv, const ProcessOptions& options,
                             const std::string& prompt, const std::vector<std::string>& answers,
                             int seconds = 30);

}  // namespace nemora::test
