#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/strong/StrongFormat.h"

namespace nemora::test {

// One known answer for the whole key schedule, from tools outside libsodium:
// K from Debian's argon2 (`echo -n password | argon2 somesaltsomesalt -id -t 2
// -k 65536 -p 1 -l 32 -r`), the cipher key and the key check from Python's
// hashlib (`blake2b(text, key=K, digest_size=32 or 8)`), and so the keys of
// a sealed site.
struct KnownKey {
    std::string_view password = "password";
    std::string_view salt = "somesaltsomesalt";
    engine::strong::KdfParameters parameters{65536, 2, 1};
    std::string_view master = "fc33b78139231d34b71626bd6245c1d72efa190ad605c3d8166a72adcedfa2c2";
    std::string_view cipherKey = "9a1ffbe0dcaf040c5862b8ab72b58fb6a80f5bd23cf8c93abf5e557942a25fd5";
    std::string_view keyCheck = "47960f0df3a35f65";
    std::string_view contentKey =
        "b218a250520d10531c67b96e171f4f97ec771c1a33f9f13445982d54ea0c1a2f";
    std::string_view nameKey = "810472daf036b25be9b9a720832479be0aa715a308ebe762d758365613e05d4c";
};

inline std::vector<std::uint8_t> FromHex(std::string_view hex) {
    const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(digit(hex[i]) << 4 | digit(hex[i + 1])));
    }
    return bytes;
}

inline std::string Hex(const std::uint8_t* bytes, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0xF];
    }
    return hex;
}

template <std::size_t N>
std::string Hex(const std::array<std::uint8_t, N>& bytes) {
    return Hex(bytes.data(), N);
}

inline engine::strong::SaltBytes SaltOf(std::string_view text) {
    engine::strong::SaltBytes salt{};
    for (std::size_t i = 0; i < salt.size() && i < text.size(); ++i) {
        salt[i] = static_cast<std::uint8_t>(text[i]);
    }
    return salt;
}

}  // namespace nemora::test
