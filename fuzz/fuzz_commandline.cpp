// Property: the command-line scan never crashes or reads outside its text, in
// every code page, and gives the same answer for the same text; a start-up
// file it finds is never longer than the text it came from.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/shell/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using nemora::app::CommandLine;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (auto page : {CommandLine::CodePage::SingleByte, CommandLine::CodePage::Cp932,
                      CommandLine::CodePage::Utf8}) {
        const CommandLine first = CommandLine::Parse(text, page);
        if (!(first == CommandLine::Parse(text, page))) std::abort();
        if (first.startupFile && first.startupFile->size() > size) std::abort();
    }
    return 0;
}
