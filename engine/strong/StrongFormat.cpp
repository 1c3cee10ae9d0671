#include "engine/strong/StrongFormat.h"

#include <algorithm>
#include <cstring>

namespace nemora::engine::strong {
namespace {

std::uint32_t ReadLe32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

void WriteLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <std::size_t N>
void CopyFrom(const std::uint8_t* at, std::array<std::uint8_t, N>& into) {
    std::copy(at, at + N, into.begin());
}

}  // namespace

bool KdfParameters::WithinLimits() const {
    return memoryKiB >= kLeastMemoryKiB && memoryKiB <= kMostMemoryKiB && passes >= kLeastPasses &&
           passes <= kMostPasses && lanes == kLanes;
}

bool HasMagic(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kMagic && std::memcmp(data, kMagic, sizeof kMagic) == 0;
}

Result ParseHeader(const std::uint8_t* data, std::size_t size, ContainerHeader& header) {
    if (size < kSmallestContainer) return Result::DataTruncated;
    if (!HasMagic(data, size) || data[kVersionAt] != kVersion || data[kKdfAt] != kKdfArgon2id ||
        data[kCipherAt] != kCipherXChaCha || data[kReservedAt] != 0) {
        return Result::DataCorrupt;
    }
    header.kdf = {ReadLe32(data + kMemoryAt), ReadLe32(data + kPassesAt),
                  ReadLe32(data + kLanesAt)};
    if (!header.kdf.WithinLimits()) return Result::DataCorrupt;
    CopyFrom(data + kSaltAt, header.salt);
    CopyFrom(data + kNonceAt, header.nonce);
    CopyFrom(data + kKeyCheckAt, header.keyCheck);
    return Result::Ok;
}

void WriteHeader(const ContainerHeader& header, std::uint8_t* out) {
    std::memcpy(out, kMagic, sizeof kMagic);
    out[kVersionAt] = kVersion;
    out[kKdfAt] = kKdfArgon2id;
    out[kCipherAt] = kCipherXChaCha;
    out[kReservedAt] = 0;
    WriteLe32(out + kMemoryAt, header.kdf.memoryKiB);
    WriteLe32(out + kPassesAt, header.kdf.passes);
    WriteLe32(out + kLanesAt, header.kdf.lanes);
    std::copy(header.salt.begin(), header.salt.end(), out + kSaltAt);
    std::copy(header.nonce.begin(), header.nonce.end(), out + kNonceAt);
    std::copy(header.keyCheck.begin(), header.keyCheck.end(), out + kKeyCheckAt);
}

}  // namespace nemora::engine::strong
