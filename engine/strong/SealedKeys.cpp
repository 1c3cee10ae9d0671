#include "engine/strong/SealedKeys.h"

#include <array>
#include <sodium.h>

namespace nemora::engine::strong {
namespace {

constexpr std::string_view kContentKeyText = "Nemora sealed content key v1";
constexpr std::string_view kNameKeyText = "Nemora sealed name key v1";
constexpr std::size_t kNameHashSize = 16;

// BLAKE2b keyed with `key` of `text`; the sizes are within BLAKE2b's, so
// libsodium cannot refuse them.
template <std::size_t N>
void KeyedHash(const KeyBytes& key, std::string_view text, std::array<std::uint8_t, N>& out) {
    static_assert(N >= crypto_generichash_blake2b_BYTES_MIN &&
                  N <= crypto_generichash_blake2b_BYTES_MAX);
    (void)crypto_generichash_blake2b(out.data(), out.size(),
                                     reinterpret_cast<const unsigned char*>(text.data()),
                                     text.size(), key.data(), key.size());
}

// RFC 4648 base32 in lower case, without padding.
std::string Base32(const std::uint8_t* bytes, std::size_t size) {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz234567";
    std::string text;
    text.reserve((size * 8 + 4) / 5);
    unsigned buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < size; ++i) {
        buffer = (buffer << 8 | bytes[i]) & 0xFFF;
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            text += kDigits[(buffer >> bits) & 31];
        }
    }
    if (bits > 0) text += kDigits[(buffer << (5 - bits)) & 31];
    return text;
}

}  // namespace

SealedKeys::SealedKeys(const KeyBytes& master) {
    // Ready already when the key came from StrongKey::Derive, and cheap
    // then; BLAKE2b needs nothing that sodium_init could fail to set up.
    [[maybe_unused]] const int ready = sodium_init();
    KeyedHash(master, kContentKeyText, contentKey_);
    KeyedHash(master, kNameKeyText, nameKey_);
}

SealedKeys::~SealedKeys() {
    sodium_memzero(contentKey_.data(), contentKey_.size());
    sodium_memzero(nameKey_.data(), nameKey_.size());
}

std::string SealedKeys::NameOf(std::string_view relativePath) const {
    std::array<std::uint8_t, kNameHashSize> hash;
    KeyedHash(nameKey_, relativePath, hash);
    return Base32(hash.data(), hash.size());
}

}  // namespace nemora::engine::strong
