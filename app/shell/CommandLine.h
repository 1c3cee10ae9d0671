#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nemora::app {

// The program's command line: the switches /N (no splash) and /R (close the
// running copies, delete the settings, end), each a slash and the letter in
// either case, and a page to load at start.
class CommandLine {
public:
    static constexpr std::uint32_t kNoSplash = 1;
    static constexpr std::uint32_t kCleanUp = 2;

    // How the text's characters are stepped over: the multibyte characters
    // of the system's code page are taken whole, so that none of their bytes
    // is taken for a blank or a double quote.
    enum class CodePage { SingleByte, Cp932, Utf8 };

    std::uint32_t flags = 0;
    // The first argument that is not a switch, as bytes of the command line.
    std::optional<std::string> startupFile;

    bool operator==(const CommandLine&) const = default;

    // Scans the text after the program's name once from its start.
    static CommandLine Parse(std::string_view text, CodePage codePage);

    // The arguments after the program's name as one command-line text: an
    // argument that holds a blank, or is empty, is put in double quotes.
    static std::string Join(int argc, const char* const* argv);

    // The code page of the current locale's character set.
    static CodePage SystemCodePage();

    // The length of the character that starts at `at` in `text`.
    static std::size_t CharLength(std::string_view text, std::size_t at, CodePage codePage);
};

}  // namespace nemora::app
