#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace nemora::publish {

// Finds a page's character encoding from its bytes, as a browser does before
// it reads a page that came without one (the HTML Standard's byte order mark
// sniffing and "prescan a byte stream to determine its encoding"):
//
// 1. a byte order mark: UTF-8, UTF-16BE or UTF-16LE;
// 2. in the first kScanned bytes, the first <meta charset=...> or
//    <meta http-equiv="Content-Type" content="...charset=..."> that names an
//    encoding browsers know: attributes in any order and case, values quoted
//    or not; comments, other tags' attributes, "<!...>", "</...>" and "<?...>"
//    are stepped over, and a tag cut off at the limit counts for nothing;
// 3. else an XML declaration at the very start (<?xml ... encoding="...">).
//
// A <meta> or XML declaration naming UTF-16 gives UTF-8 (the ASCII of its own
// markup shows that it is not UTF-16), x-user-defined gives windows-1252.
// Names are EncodingLabels' canonical ones. The UTF-16 declarations a browser
// recognises without a byte order mark are not looked for: their bytes hold
// zeros, and a page with a zero byte is refused when it is loaded.
//
// Reads only the bytes it is given; any bytes are valid input.
class EncodingSniffer {
public:
    static constexpr std::size_t kScanned = 1024;

    // Whether `text` is valid UTF-8 (shortest forms only, no surrogates,
    // nothing above U+10FFFF); ASCII is.
    static bool IsUtf8(std::string_view text);

    // The encoding the page's own bytes declare (steps 1 to 3); nothing when
    // they declare none that browsers know.
    static std::optional<std::string_view> Declared(std::span<const std::uint8_t> page);

    // Declared, else "utf-8" for a page whose bytes are all valid UTF-8 and
    // not all ASCII; nothing when the bytes do not tell (plain ASCII, or
    // bytes that are not UTF-8 and declare nothing).
    static std::optional<std::string_view> Sniff(std::span<const std::uint8_t> page);
};

}  // namespace nemora::publish
