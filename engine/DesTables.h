#pragma once

#include <cstdint>

namespace nemora::engine {

// The tables of the Data Encryption Standard (FIPS 46), with the standard's
// 1-based bit numbers, and the subkey selection of the page cipher, which
// differs from the standard's PC-2.
struct DesTables {
    static const std::uint8_t kInitialPermutation[64];   // IP: output bit i takes input bit IP[i]
    static const std::uint8_t kExpansion[48];            // E
    static const std::uint8_t kPermutation[32];          // P
    static const std::uint8_t kSBoxes[8][64];            // S1..S8, row-major (4 rows of 16)
    static const std::uint8_t kPermutedChoice1[56];      // PC-1: C (28 bits), then D
    static const std::uint8_t kPermutedChoice2[48];      // PC-2 of the standard
    static const std::uint8_t kPagePermutedChoice2[48];  // PC-2 of the page cipher
    static const std::uint8_t kRotations[16];            // left rotations of C and D per round
};

}  // namespace nemora::engine
