#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nemora::engine {

// The page cipher's 8-byte key. Only the low seven bits of each byte take part.
using Key = std::array<std::uint8_t, 8>;

// Derives the key from a password, given as the bytes the program holds it in
// (code page 932; each byte of a multibyte character counts on its own): the
// password followed by "Blue Fox", summed byte by byte into the key positions
// 0..7 in turn, modulo 128. An empty password still gives a key.
Key DeriveKey(std::string_view password);

}  // namespace nemora::engine
