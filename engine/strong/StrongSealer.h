#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/strong/StrongKey.h"

namespace nemora::engine::strong {

// Seals plain streams (LockedDocument::PlainStream) into strong-lock
// containers under one key: one publishing run, one key, one sealer.
class StrongSealer {
public:
    explicit StrongSealer(const StrongKey& key) : key_(key) {}

    // Fills `container` with header, ciphertext and tag, under a fresh random
    // nonce: sealing the same stream twice gives two different containers.
    // SealFailed, with `container` empty, when the memory cannot be had.
    Result Seal(const std::uint8_t* plain, std::size_t size,
                std::vector<std::uint8_t>& container) const;

private:
    StrongKey key_;
};

}  // namespace nemora::engine::strong
