#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/strong/StrongFormat.h"

// Constants of a sealed site's file, version 1 (docs/strong-format.md): a
// 33-byte header, the payload compressed (raw deflate) and enciphered under
// the content key with the file's site path as associated data, a 16-byte
// tag. Every reader holds the same numbers; none may change within a version.
namespace nemora::engine::strong {

constexpr std::uint8_t kSealedMagic[8] = {'N', 'E', 'M', 'O', 'R', 'A', '-', 'F'};
constexpr std::uint8_t kSealedVersion = 1;

constexpr std::size_t kSealedVersionAt = sizeof kSealedMagic;
constexpr std::size_t kSealedNonceAt = kSealedVersionAt + 1;
constexpr std::size_t kSealedHeaderSize = kSealedNonceAt + kNonceSize;  // ciphertext from here
static_assert(kSealedHeaderSize == 33, "the header's size is fixed by version 1 of sealed files");

constexpr std::size_t kSmallestSealedFile = kSealedHeaderSize + kTagSize;

}  // namespace nemora::engine::strong
