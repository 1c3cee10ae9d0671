#include "tests/support/Process.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nemora::test {

void ExecChild(const std::vector<std::string>& argv, const ProcessOptions& options) {
    for (const auto& name : options.unset) unsetenv(name.c_str());
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        // The program runs with the default action, whatever the test's is.
        std::signal(SIGPIPE, SIG_DFL);
        if (options.detach) setsid();
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        ExecChild(argv, options);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Standard input is small: write it whole, then read both outputs. A
    // program that ends before it reads its input (a refused option) must
    // not end the test with SIGPIPE: the write fails with EPIPE instead.
    std::signal(SIGPIPE, SIG_IGN);
    if (!options.input.empty()) (void)!write(in[1], options.input.data(), options.input.size());
    close(in[1]);

    ProcessResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    bool signalled = options.signal == 0;
    for (;;) {
        if (!signalled) {
            struct stat made {};
            if (::stat(options.signalWhen.c_str(), &made) == 0) {
                signalled = true;
                ::kill(pid, options.signal);
            }
        }
        if (open == 0) break;
        const int ready = poll(fds, 2, signalled ? -1 : 2);
        if (ready < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace nemora::test
