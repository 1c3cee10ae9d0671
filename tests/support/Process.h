#pragma once

#include <map>
#include <string>
#include <vector>

namespace nemora::test {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::map<std::string, std::string> env{};  // added to (or replacing in) the environment
    std::vector<std::string> unset{};          // removed from the environment
    std::string input{};                       // standard input
    bool detach = false;                       // own session: no controlling terminal
    // A signal sent to the program once the path `signalWhen` exists (a file
    // or folder that the program makes once it is under way).
    int signal = 0;
    std::string signalWhen{};
};

// In a forked child whose standard streams are in place: applies the
// options' environment and runs the program; never returns (127 when the
// program cannot be run).
[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const ProcessOptions& options);

// Runs a program to its end and collects its output.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

}  // namespace nemora::test
