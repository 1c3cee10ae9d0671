#include "app/shell/CommandLine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <langinfo.h>

namespace nemora::app {
namespace {

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc);
}

bool IsContinuation(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xf0 && lead <= 0xf4) return 4;
    if (lead >= 0xe0) return lead <= 0xef ? 3 : 1;
    if (lead >= 0xc2) return 2;
    return 1;
}

// The position of the first `wanted` at or after `from`, stepping over whole
// characters; npos when the text ends first.
std::size_t Find(std::string_view text, std::size_t from, char wanted,
                 CommandLine::CodePage codePage) {
    for (std::size_t at = from; at < text.size();
         at += CommandLine::CharLength(text, at, codePage)) {
        if (text[at] == wanted) return at;
    }
    return std::string_view::npos;
}

bool EndsSwitch(std::string_view text, std::size_t at) {
    return at == text.size() || text[at] == ' ' || text[at] == '"' || text[at] == '/';
}

}  // namespace

std::size_t CommandLine::CharLength(std::string_view text, std::size_t at, CodePage codePage) {
    const auto c = static_cast<unsigned char>(text[at]);
    const std::size_t left = text.size() - at;
    switch (codePage) {
        case CodePage::Cp932:
            // A lead byte at the very end stands alone.
            return IsCp932LeadByte(c) && left >= 2 ? 2 : 1;
        case CodePage::Utf8: {
            const std::size_t wanted = std::min(Utf8Length(c), left);
            std::size_t length = 1;
            while (length < wanted &&
                   IsContinuation(static_cast<unsigned char>(text[at + length]))) {
                ++length;
            }
            return length;
        }
        case CodePage::SingleByte:
            break;
    }
    return 1;
}

CommandLine CommandLine::Parse(std::string_view text, CodePage codePage) {
    CommandLine result;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '/' && at + 1 < text.size() && EndsSwitch(text, at + 2)) {
            const char letter = text[at + 1];
            if (letter == 'N' || letter == 'n' || letter == 'R' || letter == 'r') {
                result.flags |= (letter == 'N' || letter == 'n') ? kNoSplash : kCleanUp;
                at += 2;
                continue;
            }
        }
        if (result.startupFile || c == ' ') {
            at += CharLength(text, at, codePage);
            continue;
        }
        const bool quoted = c == '"';
        const std::size_t start = quoted ? at + 1 : at;
        const std::size_t end = Find(text, start, quoted ? '"' : ' ', codePage);
        if (end == std::string_view::npos) {
            result.startupFile = std::string(text.substr(start));
            break;
        }
        // The ending character becomes the file name's end; the scan goes on
        // after it.
        result.startupFile = std::string(text.substr(start, end - start));
        at = end + 1;
    }
    return result;
}

std::string CommandLine::Join(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!text.empty()) text += ' ';
        const bool quote = argument.empty() || argument.find(' ') != std::string_view::npos;
        if (quote) text += '"';
        text += argument;
        if (quote) text += '"';
    }
    return text;
}

CommandLine::CodePage CommandLine::SystemCodePage() {
    std::string codeset = nl_langinfo(CODESET);
    std::transform(codeset.begin(), codeset.end(), codeset.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (codeset == "UTF-8" || codeset == "UTF8") return CodePage::Utf8;
    constexpr std::array<std::string_view, 5> kCp932 = {"SHIFT_JIS", "SJIS", "CP932", "WINDOWS-31J",
                                                        "MS_KANJI"};
    if (std::find(kCp932.begin(), kCp932.end(), codeset) != kCp932.end()) return CodePage::Cp932;
    return CodePage::SingleByte;
}

}  // namespace nemora::app
