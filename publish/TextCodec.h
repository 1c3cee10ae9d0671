#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/SecretString.h"

namespace nemora::publish {

// The program holds its texts in UTF-8 (the window toolkit, the terminal);
// the pages, the key and the data stream need them in code page 932.
class TextCodec {
public:
    // How to write a character that code page 932 lacks.
    enum class Unmappable {
        CharacterReference,  // as "&#NNNN;", for text that goes into markup; so are the
                             // characters mapped by best fit (U+00A5 onto 0x5C, ...)
        Refuse,              // the conversion fails (passwords: the key must match what is typed)
    };

    // nullopt when `unmappable` is Refuse and the text holds a character
    // code page 932 lacks or is not valid UTF-8 (with CharacterReference,
    // invalid bytes become the replacement character's reference).
    static std::optional<std::string> ToCp932(std::string_view utf8, Unmappable unmappable);

    // A password's code page 932 bytes: as ToCp932 with Refuse, and the
    // conversion's own copies wiped.
    static std::optional<engine::SecretString> PasswordToCp932(std::string_view utf8);

    // Code page 932 back to UTF-8; nullopt when the bytes are not valid there.
    static std::optional<std::string> FromCp932(std::string_view cp932);

    // Bytes in `encoding` (a canonical name, EncodingLabels) as UTF-8, for
    // reading text rather than keeping it: a sequence the encoding lacks
    // becomes U+FFFD. Nothing when the system cannot convert from it.
    static std::optional<std::string> ToUtf8(std::string_view bytes, std::string_view encoding);
};

}  // namespace nemora::publish
