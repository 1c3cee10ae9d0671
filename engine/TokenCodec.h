#pragma once

#include <cstdint>

#include "engine/StreamFormat.h"

namespace nemora::engine {

// The body's two tokens, written and read in this one place: a literal (one
// page byte, never 0) or a copy (0x00, distance as 16-bit little-endian,
// length as one byte). Inline: the compressor and the reader run these for
// every token.
class TokenCodec {
public:
    // Writes the token for `length` page bytes `distance` back (a literal of
    // `literal` when length is 1) at `out`, which has room for a copy token;
    // returns its size.
    static std::uint32_t Encode(std::uint8_t* out, std::uint8_t literal, std::uint32_t length,
                                std::uint32_t distance) {
        if (length == 1) {
            out[0] = literal;
            return 1;
        }
        out[0] = StreamFormat::kCopyMarker;
        out[1] = static_cast<std::uint8_t>(distance);
        out[2] = static_cast<std::uint8_t>(distance >> 8);
        out[3] = static_cast<std::uint8_t>(length);
        return static_cast<std::uint32_t>(StreamFormat::kCopyTokenSize);
    }

    static bool IsCopy(std::uint8_t lead) { return lead == StreamFormat::kCopyMarker; }

    // The size of the token that begins with `lead`.
    static std::uint32_t Size(std::uint8_t lead) {
        return IsCopy(lead) ? static_cast<std::uint32_t>(StreamFormat::kCopyTokenSize) : 1;
    }

    // The page bytes the whole token at `token` stands for.
    static std::uint32_t Length(const std::uint8_t* token) {
        return IsCopy(token[0]) ? token[3] : 1;
    }

    // How far back the copy token at `token` reaches.
    static std::uint32_t Distance(const std::uint8_t* token) {
        return token[1] | (std::uint32_t{token[2]} << 8);
    }

    // Moves past the token at tokens[offset], advancing `pos` by the page
    // bytes it stands for.
    static void Step(const std::uint8_t* tokens, std::uint32_t& offset, std::uint32_t& pos) {
        pos += Length(tokens + offset);
        offset += Size(tokens[offset]);
    }
};

}  // namespace nemora::engine
