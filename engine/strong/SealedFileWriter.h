#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/strong/SealedKeys.h"

namespace nemora::engine::strong {

// Seals the files of a sealed site under one run's content key.
class SealedFileWriter {
public:
    explicit SealedFileWriter(const SealedKeys& keys) : keys_(keys) {}

    // Fills `sealed` with header, the payload compressed and enciphered, and
    // the tag, under a fresh random nonce, bound to `relativePath` (the
    // file's path from the site's top, as SealedKeys::NameOf takes it), so
    // that the file cannot stand in for another. SealFailed, with `sealed`
    // empty, when the memory cannot be had.
    Result Seal(const std::uint8_t* payload, std::size_t size, std::string_view relativePath,
                std::vector<std::uint8_t>& sealed) const;

private:
    SealedKeys keys_;
};

}  // namespace nemora::engine::strong
