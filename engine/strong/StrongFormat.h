#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/ResultCode.h"

// Constants of the strong lock's container, version 1 (docs/strong-format.md):
// a 72-byte header, the plain stream enciphered, a 16-byte tag. Every reader
// of the form holds the same numbers; none of them may change within a
// version.
namespace nemora::engine::strong {

constexpr std::uint8_t kMagic[8] = {'N', 'E', 'M', 'O', 'R', 'A', '-', 'S'};
constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kKdfArgon2id = 1;    // Argon2id, version 0x13
constexpr std::uint8_t kCipherXChaCha = 1;  // XChaCha20-Poly1305, IETF construction

constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kNonceSize = 24;
constexpr std::size_t kKeyCheckSize = 8;
constexpr std::size_t kKeySize = 32;
constexpr std::size_t kTagSize = 16;

// Field offsets, each field right after the one before; integers are
// 32-bit little-endian.
constexpr std::size_t kVersionAt = sizeof kMagic;
constexpr std::size_t kKdfAt = kVersionAt + 1;
constexpr std::size_t kCipherAt = kKdfAt + 1;
constexpr std::size_t kReservedAt = kCipherAt + 1;
constexpr std::size_t kMemoryAt = kReservedAt + 1;
constexpr std::size_t kPassesAt = kMemoryAt + 4;
constexpr std::size_t kLanesAt = kPassesAt + 4;
constexpr std::size_t kSaltAt = kLanesAt + 4;
constexpr std::size_t kNonceAt = kSaltAt + kSaltSize;
constexpr std::size_t kKeyCheckAt = kNonceAt + kNonceSize;
constexpr std::size_t kHeaderSize = kKeyCheckAt + kKeyCheckSize;  // the cipher's associated data
static_assert(kHeaderSize == 72, "the header's size is fixed by version 1 of the container");

constexpr std::size_t kSmallestContainer = kHeaderSize + kTagSize;

// What a reader accepts before it derives anything, so that a crafted file
// cannot make it allocate or compute without bound.
constexpr std::uint32_t kLeastMemoryKiB = 19456;
constexpr std::uint32_t kMostMemoryKiB = 1048576;
constexpr std::uint32_t kLeastPasses = 2;
constexpr std::uint32_t kMostPasses = 16;
constexpr std::uint32_t kLanes = 1;  // the browser runs one thread

constexpr std::uint32_t kDefaultMemoryKiB = 65536;
constexpr std::uint32_t kDefaultPasses = 3;

using SaltBytes = std::array<std::uint8_t, kSaltSize>;
using NonceBytes = std::array<std::uint8_t, kNonceSize>;
using KeyCheckBytes = std::array<std::uint8_t, kKeyCheckSize>;
using KeyBytes = std::array<std::uint8_t, kKeySize>;

struct KdfParameters {
    std::uint32_t memoryKiB = kDefaultMemoryKiB;
    std::uint32_t passes = kDefaultPasses;
    std::uint32_t lanes = kLanes;

    bool WithinLimits() const;
    bool operator==(const KdfParameters&) const = default;
};

struct ContainerHeader {
    KdfParameters kdf;
    SaltBytes salt{};
    NonceBytes nonce{};
    KeyCheckBytes keyCheck{};
};

// True when the data begins with the magic.
bool HasMagic(const std::uint8_t* data, std::size_t size);

// Reads the header of a container of `size` bytes and checks all a reader
// must check before it derives a key: DataTruncated when the container is
// shorter than header and tag; DataCorrupt for another magic, an unknown
// version, key derivation or cipher, a reserved byte that is not 0, or
// parameters outside the limits; Ok otherwise.
Result ParseHeader(const std::uint8_t* data, std::size_t size, ContainerHeader& header);

// Writes the kHeaderSize bytes of `header` (version 1, the one key
// derivation and cipher) to `out`.
void WriteHeader(const ContainerHeader& header, std::uint8_t* out);

}  // namespace nemora::engine::strong
