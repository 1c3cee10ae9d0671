#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Word-at-a-time byte comparisons shared by the match finder and the run
// index: both measure candidates on every search, so these are hot.
namespace nemora::engine {

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The index of the first differing byte in two loaded words whose XOR is `diff` (not 0).
inline std::uint32_t FirstDifference(std::uint64_t diff) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<std::uint32_t>(std::countr_zero(diff)) / 8;
    } else {
        return static_cast<std::uint32_t>(std::countl_zero(diff)) / 8;
    }
}

// How many bytes of a and b agree, counting from `from` up to `limit`.
// Reads only a[0..limit) and b[0..limit).
inline std::uint32_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t from,
                                 std::uint32_t limit) {
    std::uint32_t n = from;
    while (n + 8 <= limit) {
        const std::uint64_t diff = Load64(a + n) ^ Load64(b + n);
        if (diff != 0) return n + FirstDifference(diff);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// How many bytes from p on, at most limit, equal p[0].
inline std::uint32_t RunLength(const std::uint8_t* p, std::uint32_t limit) {
    const std::uint64_t same = std::uint64_t{p[0]} * 0x0101010101010101ull;
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
        const std::uint64_t diff = Load64(p + n) ^ same;
        if (diff != 0) return n + FirstDifference(diff);
        n += 8;
    }
    while (n < limit && p[n] == p[0]) ++n;
    return n;
}

constexpr std::uint64_t kKeyHashPrime = 0x9E3779B185EBCA87ull;  // multiplier of the key hashes

}  // namespace nemora::engine
