#pragma once

#include <string>
#include <string_view>

#include "engine/strong/StrongFormat.h"
#include "engine/strong/StrongKey.h"

namespace nemora::engine::strong {

// The two keys of a sealed site, taken from the run's master key K the way
// the cipher key and the key check are (keyed BLAKE2b of a label): the
// content key seals the site's files, the name key gives each file its
// sealed name. A browser that holds K derives both; a copy wipes its bytes
// when it goes.
class SealedKeys {
public:
    explicit SealedKeys(const KeyBytes& master);
    explicit SealedKeys(const StrongKey& key) : SealedKeys(key.Master()) {}

    ~SealedKeys();
    SealedKeys(const SealedKeys&) = default;
    SealedKeys& operator=(const SealedKeys&) = default;

    const KeyBytes& ContentKey() const { return contentKey_; }
    const KeyBytes& NameKey() const { return nameKey_; }

    // The name a site's file bears on the server: base32 (lower case, no
    // padding) of a 16-byte BLAKE2b, keyed with the name key, of its path
    // relative to the site's top, UTF-8 with '/' between folders, taken
    // byte for byte: 26 characters of a to z and 2 to 7.
    std::string NameOf(std::string_view relativePath) const;

private:
    KeyBytes contentKey_{};
    KeyBytes nameKey_{};
};

}  // namespace nemora::engine::strong
