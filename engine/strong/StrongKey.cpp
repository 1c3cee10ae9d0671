#include "engine/strong/StrongKey.h"

#include <sodium.h>

namespace nemora::engine::strong {
namespace {

constexpr std::string_view kCipherKeyText = "Nemora strong cipher key v1";
constexpr std::string_view kKeyCheckText = "Nemora strong key check v1";

// sodium_init may be called again and from any thread, but once is enough;
// a static's initialisation is itself thread-safe.
bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// BLAKE2b of `text` keyed with K, of the output length asked for: a short
// output is its own hash, not a cut longer one.
template <std::size_t N>
bool KeyedHash(const KeyBytes& master, std::string_view text, std::array<std::uint8_t, N>& out) {
    return crypto_generichash_blake2b(out.data(), out.size(),
                                      reinterpret_cast<const unsigned char*>(text.data()),
                                      text.size(), master.data(), master.size()) == 0;
}

}  // namespace

std::optional<StrongKey> StrongKey::Derive(std::string_view passwordUtf8, const SaltBytes& salt,
                                           const KdfParameters& parameters) {
    static_assert(crypto_pwhash_argon2id_SALTBYTES == kSaltSize);
    // libsodium computes one lane; the limits say so too.
    if (!parameters.WithinLimits() || !SodiumReady()) return std::nullopt;
    StrongKey key(salt, parameters);
    const bool derived =
        crypto_pwhash(key.master_.data(), key.master_.size(), passwordUtf8.data(),
                      passwordUtf8.size(), salt.data(), parameters.passes,
                      std::size_t{parameters.memoryKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13) == 0;
    if (!derived || !KeyedHash(key.master_, kCipherKeyText, key.cipherKey_) ||
        !KeyedHash(key.master_, kKeyCheckText, key.keyCheck_)) {
        return std::nullopt;
    }
    return key;
}

SaltBytes StrongKey::NewSalt() {
    // Without sodium_init the generator still works: libsodium aborts rather
    // than hand out weak bytes.
    (void)SodiumReady();
    SaltBytes salt;
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

StrongKey::~StrongKey() {
    sodium_memzero(master_.data(), master_.size());
    sodium_memzero(cipherKey_.data(), cipherKey_.size());
    sodium_memzero(keyCheck_.data(), keyCheck_.size());
}

}  // namespace nemora::engine::strong
