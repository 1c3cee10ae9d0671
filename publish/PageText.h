#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nemora::publish {

// The text a reader sees in a file, for comparing the protected pages with
// what a published folder shows without the password.
//
// A page's visible text skips tags, comments and what script, style and
// template elements hold; a public file's scanned text keeps all of that
// (a leak may sit in a comment, an inline script or a <meta> content) but
// sets the insides of tags (attribute values) after the running text, so
// that markup never breaks a run of words. Both decode character references
// and collapse white space, and markup that runs words together (<em>,
// <a>...) joins them as a browser does, while other tags part them.
class PageText {
public:
    struct Visible {
        std::string title;
        std::string text;
    };

    // The bytes of a file as UTF-8: the encoding they declare or show
    // (EncodingSniffer), else UTF-8 for ASCII, else shift_jis (the lock's
    // default). The bytes themselves when they are UTF-8 already, else
    // their text converted into `converted`.
    static std::string_view Utf8(std::span<const std::uint8_t> bytes, std::string& converted);

    // The visible text and the title of a page given in UTF-8.
    static Visible Of(std::string_view html);

    // All the text a public file holds, given in UTF-8. `escaped`: the
    // file is JSON or a script, whose strings' escapes (\uXXXX, \", \n...)
    // are undone first.
    static std::string Scanned(std::string_view text, bool escaped);

    // `text` with JSON and script string escapes undone.
    static std::string Unescaped(std::string_view text);
};

}  // namespace nemora::publish
