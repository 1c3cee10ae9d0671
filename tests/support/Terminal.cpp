#include "tests/support/Terminal.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nemora::test {
namespace {

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

}  // namespace

TerminalResult RunOnTerminal(const std::vector<std::string>& argv, const ProcessOptions& options,
                             const std::string& prompt, const std::vector<std::string>& answers,
                             int seconds) {
    TerminalResult result;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return result;
    const std::string slave = ptsname(master);
    // Held open here too, so that the terminal does not hang up before the
    // program opens it or after it closes it.
    const int held = open(slave.c_str(), O_RDWR | O_NOCTTY);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        // A new session whose first terminal opened becomes its own.
        setsid();
        const int tty = open(slave.c_str(), O_RDWR);
        const int none = open("/dev/null", O_RDONLY);
        if (tty < 0 || none < 0) _exit(126);
        dup2(none, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {tty, none, held, master, out[0], out[1], err[0], err[1]}) close(fd);
        ExecChild(argv, options);
    }
    close(out[1]);
    close(err[1]);

    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {master, POLLIN, 0}};
    std::string* sinks[3] = {&result.out, &result.err, &result.terminal};
    std::size_t typed = 0;
    // The run is over when both outputs close; the terminal stays open
    // while anyone holds it.
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const int ready = poll(fds, 3, seconds * 1000);
        if (ready <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        for (int i = 0; i < 3; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                if (i < 2) close(fds[i].fd);
                fds[i].fd = -1;
            } else {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            }
        }
        while (typed < answers.size() && typed < Count(result.terminal, prompt)) {
            const std::string line = answers[typed++] + "\n";
            (void)!write(master, line.data(), line.size());
        }
    }
    for (const int fd : {fds[0].fd, fds[1].fd}) {
        if (fd >= 0) close(fd);
    }
    close(held);
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace nemora::test
