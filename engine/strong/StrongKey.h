#pragma once

#include <optional>
#include <string_view>

#include "engine/strong/StrongFormat.h"

namespace nemora::engine::strong {

// The master key K of a strong lock, with the salt and parameters it was
// derived with, and the two keys taken from it: the cipher key and the key
// check. It opens every container of one publishing run, so every copy wipes
// its bytes when it goes. Derivations on several threads at once are safe,
// one key per thread.
class StrongKey {
public:
    // Argon2id of the password's UTF-8 bytes, as typed. nullopt when the
    // parameters are outside the format's limits or libsodium fails (the
    // memory cannot be had).
    static std::optional<StrongKey> Derive(std::string_view passwordUtf8, const SaltBytes& salt,
                                           const KdfParameters& parameters);

    // A random salt for a new publishing run.
    static SaltBytes NewSalt();

    ~StrongKey();
    StrongKey(const StrongKey&) = default;
    StrongKey& operator=(const StrongKey&) = default;

    const KeyBytes& Master() const { return master_; }
    const KeyBytes& CipherKey() const { return cipherKey_; }
    const KeyCheckBytes& KeyCheck() const { return keyCheck_; }
    const SaltBytes& Salt() const { return salt_; }
    const KdfParameters& Parameters() const { return parameters_; }

private:
    StrongKey(const SaltBytes& salt, const KdfParameters& parameters)
        : salt_(salt), parameters_(parameters) {}

    KeyBytes master_{};
    KeyBytes cipherKey_{};
    KeyCheckBytes keyCheck_{};
    SaltBytes salt_;
    KdfParameters parameters_;
};

}  // namespace nemora::engine::strong
