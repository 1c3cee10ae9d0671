#include "cli/Password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "publish/SecretText.h"
#include "cli/Report.h"

namespace nemora::cli {
namespace {


void StripLineEnd(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
}

// One line typed on the controlling terminal with echo off.
std::optional<std::string> AskTerminal(const std::string& prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY);
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
    char c = 0;
    ssize_t got = 0;
    while ((got = ::read(tty, &c, 1)) == 1 && c != '\n') line += c;
    (void)!::write(tty, "\n", 1);
    if (isTerminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (got < 0) return std::nullopt;
    StripLineEnd(line);
    return line;
}

}  // namespace

std::optional<std::string> ReadPassword(const PasswordOptions& options, PasswordEntry entry,
                                        std::string& error) {
    std::string line;
    if (!options.file.empty()) {
        std::ifstream in(options.file, std::ios::binary);
        if (!in || !std::getline(in, line)) {
            error = Text(CliText::PasswordUnavailable) + ": " + options.file;
            return std::nullopt;
        }
        StripLineEnd(line);
        return line;
    }
    if (options.fromStdin) {
        if (!std::getline(std::cin, line)) {
            error = Text(CliText::PasswordUnavailable);
            return std::nullopt;
        }
        StripLineEnd(line);
        return line;
    }
    if (const char* env = std::getenv("NEMORA_PASSWORD")) return std::string(env);

    std::optional<std::string> first = AskTerminal(Text(CliText::PasswordPrompt));
    if (!first) {
        error = Text(CliText::PasswordUnavailable);
        return std::nullopt;
    }
    std::optional<std::string> password = first;
    if (entry == PasswordEntry::TypedTwice) {
        std::optional<std::string> second = AskTerminal(Text(CliText::PasswordAgain));
        const bool same = second && *second == *password;
        if (second) publish::WipeSecret(*second);
        if (!same) {
            publish::WipeSecret(*password);
            error = Text(CliText::PasswordsDiffer);
            return std::nullopt;
        }
    }
    return password;
}

}  // namespace nemora::cli
