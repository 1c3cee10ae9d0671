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

// One line typed on the controlling terminal with echo off.
std::optional<engine::SecretString> AskTerminal(const std::string& prompt) {
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
    return engine::SecretString(std::move(line));
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

    std::optional<engine::SecretString> password = AskTerminal(Text(CliText::PasswordPrompt));
    if (!password) {
        error = Text(CliText::PasswordUnavailable);
        return std::nullopt;
    }
    if (entry == PasswordEntry::TypedTwice) {
        const std::optional<engine::SecretString> again = AskTerminal(Text(CliText::PasswordAgain));
        if (!again || !(*again == password->View())) {
            error = Text(CliText::PasswordsDiffer);
            return std::nullopt;
        }
    }
    return password;
}

}  // namespace nemora::cli
