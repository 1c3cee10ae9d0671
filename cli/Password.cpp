#include "cli/Password.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <termios.h>
#include <unistd.h>

#include "cli/Report.h"

namespace nemora::cli {
namespace {

// Room reserved for a line that holds a password, so that it is not copied
// to a larger buffer (leaving the old one unwiped) as it is read.
constexpr std::size_t kLineRoom = 1024;

void StripLineEnd(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
}

// Times the two entries of a new password may differ before the run ends.
constexpr int kEntryAttempts = 3;

// Why no password came from the terminal.
enum class TerminalProblem { None, NoTerminal, ReadFailed };

// One line typed on the controlling terminal with echo off.
std::optional<engine::SecretString> AskTerminal(const std::string& prompt,
                                                TerminalProblem& problem) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY);
    problem = tty < 0 ? TerminalProblem::NoTerminal : TerminalProblem::ReadFailed;
    if (tty < 0) return std::nullopt;
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    (void)!::write(tty, prompt.data(), prompt.size());
    std::string line;
    line.reserve(kLineRoom);
    char c = 0;
    ssize_t got = 0;
    while ((got = ::read(tty, &c, 1)) == 1 && c != '\n') line += c;
    (void)!::write(tty, "\n", 1);
    if (isTerminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (got < 0) {
        engine::SecretString wiped(std::move(line));
        return std::nullopt;
    }
    StripLineEnd(line);
    problem = TerminalProblem::None;
    return engine::SecretString(std::move(line));
}

// Says on the terminal that the entries differ; false when it cannot.
bool TellTerminal(const std::string& text) {
    const int tty = ::open("/dev/tty", O_WRONLY | O_NOCTTY);
    if (tty < 0) return false;
    const std::string line = text + "\n";
    (void)!::write(tty, line.data(), line.size());
    ::close(tty);
    return true;
}

std::string Unavailable(TerminalProblem problem) {
    std::string text = Text(CliText::PasswordUnavailable);
    if (problem == TerminalProblem::NoTerminal) text += ": " + Text(CliText::NoTerminal);
    return text;
}

}  // namespace

std::optional<engine::SecretString> ReadPassword(const PasswordOptions& options,
                                                 PasswordEntry entry, std::string& error) {
    std::string line;
    line.reserve(kLineRoom);
    if (!options.file.empty()) {
        std::ifstream in(options.file, std::ios::binary);
        if (!in || !std::getline(in, line)) {
            error = Text(CliText::PasswordUnavailable) + ": " + options.file;
            return std::nullopt;
        }
        StripLineEnd(line);
        return engine::SecretString(std::move(line));
    }
    if (options.fromStdin) {
        if (!std::getline(std::cin, line)) {
            error = Text(CliText::PasswordUnavailable);
            return std::nullopt;
        }
        StripLineEnd(line);
        return engine::SecretString(std::move(line));
    }
    if (const char* env = std::getenv("NEMORA_PASSWORD")) return engine::SecretString(env);

    // A typing error in a new password is asked again, a few times.
    const int attempts = entry == PasswordEntry::TypedTwice ? kEntryAttempts : 1;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        TerminalProblem problem = TerminalProblem::None;
        std::optional<engine::SecretString> password =
            AskTerminal(Text(CliText::PasswordPrompt), problem);
        if (!password) {
            error = Unavailable(problem);
            return std::nullopt;
        }
        if (entry == PasswordEntry::TypedOnce) return password;
        const std::optional<engine::SecretString> again =
            AskTerminal(Text(CliText::PasswordAgain), problem);
        if (!again) {
            error = Unavailable(problem);
            return std::nullopt;
        }
        if (*again == password->View()) return password;
        if (attempt < attempts && !TellTerminal(Text(CliText::PasswordsDifferAgain))) break;
    }
    error = Text(CliText::PasswordsDiffer);
    return std::nullopt;
}

std::optional<engine::SecretString> ReadPasswordOrSay(const PasswordOptions& options,
                                                      PasswordEntry entry) {
    std::string error;
    std::optional<engine::SecretString> password = ReadPassword(options, entry, error);
    if (!password) std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return password;
}

}  // namespace nemora::cli
