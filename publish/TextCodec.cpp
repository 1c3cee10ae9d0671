#include "publish/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace nemora::publish {
namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter Open(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    return Converter(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd);
}

// The code point of the UTF-8 sequence at `text` (at most `left` bytes) and
// its length; length 0 when the bytes are not a valid sequence.
std::pair<char32_t, std::size_t> DecodeOne(const unsigned char* text, std::size_t left) {
    const unsigned char lead = text[0];
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || length > left) return {0, 0};
    const unsigned leadBits = length == 1 ? lead : lead & (0x7Fu >> length);
    char32_t code = leadBits;
    for (std::size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return {0, 0};
        code = (code << 6) | (text[i] & 0x3Fu);
    }
    return {code, length};
}

std::optional<std::string> Convert(const Converter& cd, std::string_view text) {
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &to, &outLeft) ==
        static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::optional<std::string> TextCodec::ToCp932(std::string_view utf8, Unmappable unmappable) {
    const Converter cd = Open("CP932", "UTF-8");
    const Converter back = Open("UTF-8", "CP932");
    if (!cd || !back) return std::nullopt;
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    // One character at a time, so that each unmappable one can be handled
    // on its own.
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [code, length] = DecodeOne(bytes + at, utf8.size() - at);
        if (length == 0) {
            // Not UTF-8 at all: markup shows the replacement character.
            if (unmappable == Unmappable::Refuse) return std::nullopt;
            out += "&#65533;";
            ++at;
            continue;
        }
        const std::string_view character = utf8.substr(at, length);
        const std::optional<std::string> converted = Convert(cd, character);
        // The conversion maps a few characters by best fit: U+00A5 (yen) and
        // U+203E onto the ASCII bytes 0x5C and 0x7E, others onto a neighbour.
        // In markup a backslash would end a script string and browsers show
        // the neighbour, so only bytes that read back as the same character
        // go into markup as they are. Passwords keep the best fit: it is
        // what the visitor's browser makes of the same typed character.
        const bool exact = unmappable == Unmappable::Refuse ||
                           (converted && Convert(back, *converted) == character);
        if (converted && exact) {
            out += *converted;
        } else if (unmappable == Unmappable::CharacterReference) {
            out += "&#" + std::to_string(static_cast<unsigned long>(code)) + ";";
        } else {
            return std::nullopt;
        }
        at += length;
    }
    return out;
}

std::optional<engine::SecretString> TextCodec::PasswordToCp932(std::string_view utf8) {
    std::optional<std::string> converted = ToCp932(utf8, Unmappable::Refuse);
    if (!converted) return std::nullopt;
    return engine::SecretString(std::move(*converted));
}

std::optional<std::string> TextCodec::FromCp932(std::string_view cp932) {
    const Converter cd = Open("UTF-8", "CP932");
    if (!cd) return std::nullopt;
    return Convert(cd, cp932);
}

namespace {

// The converter's name for a canonical encoding name: browsers read
// "shift_jis" as code page 932.
std::string IconvName(std::string_view encoding) {
    if (encoding == "shift_jis") return "CP932";
    return std::string(encoding);
}

}  // namespace

std::optional<std::string> TextCodec::ToUtf8(std::string_view bytes, std::string_view encoding) {
    const Converter cd = Open("UTF-8", IconvName(encoding).c_str());
    if (!cd) return std::nullopt;
    std::string out;
    out.reserve(bytes.size() * 2);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &to, &outLeft);
        out.append(buffer, to);
        if (done != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // An invalid or cut-off sequence: one byte stands for it.
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
    }
    return out;
}

}  // namespace nemora::publish
