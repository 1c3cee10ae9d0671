#include "engine/DesEngine.h"

#include <bit>

#include "engine/DesTables.h"

namespace nemora::engine {

// The block permutations work a byte at a time: IP and IP^-1 are linear in
// the bits, so each is the OR of one lookup per byte. The bit numbering of
// the variant is folded into these tables, which leaves the rounds identical
// for both variants. S-boxes and P are merged into one lookup per S-box.
struct DesEngine::Tables {
    explicit Tables(DesVariant variant);

    std::uint64_t initial[8][256];  // block byte -> IP output (bit 1 = bit 63)
    std::uint64_t final[8][256];    // preoutput byte (bit 1 first) -> block bytes, big-endian
    // S-box j and P, indexed by a whole byte whose low six bits are the S-box
    // input: the top two bits belong to a neighbouring group and are ignored
    // (the 64 results repeat four times), so no lookup needs a mask.
    std::uint32_t sp[8][256];
};

namespace {

struct BitPlace {
    unsigned byte;  // index of the byte in the block or key, 0 to 7
    unsigned bit;   // bit within that byte, 0 = least significant
};

// Where the standard's bit k (1 to 64) of a block lies.
BitPlace PlaceOf(unsigned k, DesVariant variant) {
    const unsigned index = k - 1;
    if (variant == DesVariant::Standard) return {index / 8, 7 - index % 8};
    return {7 - index / 8, index % 8};
}

std::uint64_t StandardBit(unsigned k) {
    return std::uint64_t{1} << (64 - k);
}

// S-box j followed by P for its 6-bit input, with the standard's bit 1 of
// the result as bit 31.
std::uint32_t SBoxAndP(unsigned j, unsigned x) {
    const unsigned row = ((x >> 4) & 2) | (x & 1);
    const unsigned column = (x >> 1) & 0xF;
    const unsigned s = DesTables::kSBoxes[j][row * 16 + column];
    std::uint32_t out = 0;
    for (unsigned n = 1; n <= 32; ++n) {
        const unsigned from = DesTables::kPermutation[n - 1];  // S output bit 1..32
        if (from < 4 * j + 1 || from > 4 * j + 4) continue;
        if ((s >> (3 - (from - 4 * j - 1))) & 1) out |= std::uint32_t{1} << (32 - n);
    }
    return out;
}

// E, XOR with the subkey, S-boxes and P. E's group j is the standard's bits
// 4j to 4j+5 of R (bit 0 meaning bit 32), which a left rotation by 4j+5
// brings into the low six bits. Rotating by 5 thus puts the groups of S1,
// S7, S5 and S3 at the bottom of bytes 0 to 3, and rotating by 9 those of
// S2, S8, S6 and S4: two rotations and two XORs serve all eight S-boxes.
// The lookups are combined in pairs to keep the dependency chain short.
inline std::uint32_t Feistel(const std::uint32_t (&sp)[8][256], std::uint32_t r,
                             std::uint32_t keyOdd, std::uint32_t keyEven) {
    const std::uint32_t odd = std::rotl(r, 5) ^ keyOdd;
    const std::uint32_t even = std::rotl(r, 9) ^ keyEven;
    return ((sp[0][odd & 0xFF] ^ sp[6][(odd >> 8) & 0xFF]) ^
            (sp[4][(odd >> 16) & 0xFF] ^ sp[2][odd >> 24])) ^
           ((sp[1][even & 0xFF] ^ sp[7][(even >> 8) & 0xFF]) ^
            (sp[5][(even >> 16) & 0xFF] ^ sp[3][even >> 24]));
}

void BuildTables(DesVariant variant, std::uint64_t (&initial)[8][256],
                 std::uint64_t (&final)[8][256]) {
    unsigned ipOutputOf[65] = {};  // input bit k -> the IP output bit that takes it
    for (unsigned m = 1; m <= 64; ++m) ipOutputOf[DesTables::kInitialPermutation[m - 1]] = m;

    for (unsigned byte = 0; byte < 8; ++byte) {
        for (unsigned v = 0; v < 256; ++v) {
            std::uint64_t in = 0;
            std::uint64_t out = 0;
            for (unsigned bit = 0; bit < 8; ++bit) {
                if (((v >> bit) & 1) == 0) continue;
                // IP: the block bit at (byte, bit) is the standard's bit k.
                for (unsigned k = 1; k <= 64; ++k) {
                    const BitPlace place = PlaceOf(k, variant);
                    if (place.byte == byte && place.bit == bit) in |= StandardBit(ipOutputOf[k]);
                }
                // IP^-1: preoutput bit q goes to output bit m with IP[q] = m.
                const unsigned q = 8 * byte + 8 - bit;
                const BitPlace place = PlaceOf(DesTables::kInitialPermutation[q - 1], variant);
                out |= std::uint64_t{1} << (56 - 8 * place.byte + place.bit);
            }
            initial[byte][v] = in;
            final[byte][v] = out;
        }
    }
}

// The 64-bit key with the standard's numbering (bit 1 = bit 63). The page
// cipher reads each byte's seven low bits where the standard reads the seven
// high ones, which is the standard reading of every byte shifted left by one.
std::uint64_t KeyBits(const std::array<std::uint8_t, 8>& key, DesVariant variant) {
    std::uint64_t bits = 0;
    for (std::uint8_t byte : key) {
        const auto value =
            variant == DesVariant::Page ? static_cast<std::uint8_t>(byte << 1) : byte;
        bits = (bits << 8) | value;
    }
    return bits;
}

}  // namespace

DesEngine::Tables::Tables(DesVariant variant) {
    BuildTables(variant, initial, final);
    for (unsigned j = 0; j < 8; ++j) {
        for (unsigned x = 0; x < 256; ++x) sp[j][x] = SBoxAndP(j, x & 0x3F);
    }
}

const DesEngine::Tables& DesEngine::TablesFor(DesVariant variant) {
    static const Tables* const standard = new Tables(DesVariant::Standard);
    static const Tables* const page = new Tables(DesVariant::Page);
    return variant == DesVariant::Standard ? *standard : *page;
}

DesEngine::DesEngine(const std::array<std::uint8_t, 8>& key, DesVariant variant)
    : tables_(TablesFor(variant)) {
    const std::uint64_t bits = KeyBits(key, variant);
    auto keyBit = [bits](unsigned k) { return static_cast<std::uint32_t>((bits >> (64 - k)) & 1); };

    // C and D as 28-bit numbers, their bit 1 as bit 27.
    std::uint32_t c = 0;
    std::uint32_t d = 0;
    for (unsigned i = 0; i < 28; ++i) {
        c = (c << 1) | keyBit(DesTables::kPermutedChoice1[i]);
        d = (d << 1) | keyBit(DesTables::kPermutedChoice1[28 + i]);
    }

    const std::uint8_t* pc2 = variant == DesVariant::Standard ? DesTables::kPermutedChoice2
                                                              : DesTables::kPagePermutedChoice2;
    constexpr std::uint32_t kMask28 = (1u << 28) - 1;
    for (unsigned round = 0; round < 16; ++round) {
        const unsigned shift = DesTables::kRotations[round];
        c = ((c << shift) | (c >> (28 - shift))) & kMask28;
        d = ((d << shift) | (d >> (28 - shift))) & kMask28;
        std::uint32_t groups[8] = {};  // the 6-bit subkey group of each S-box
        for (unsigned group = 0; group < 8; ++group) {
            for (unsigned i = 0; i < 6; ++i) {
                const unsigned e = pc2[6 * group + i];  // 1..28 in C, 29..56 in D
                const std::uint32_t bit = e <= 28 ? (c >> (28 - e)) & 1 : (d >> (56 - e)) & 1;
                groups[group] = (groups[group] << 1) | bit;
            }
        }
        const RoundKey subkey{groups[0] | groups[6] << 8 | groups[4] << 16 | groups[2] << 24,
                              groups[1] | groups[7] << 8 | groups[5] << 16 | groups[3] << 24};
        encipherKeys_[round] = subkey;
        decipherKeys_[15 - round] = subkey;
    }
}

// Runs `groups` groups of `Lanes` consecutive blocks. The blocks of a group
// are independent, so interleaving their rounds lets the processor overlap
// one block's table lookups with another's instead of waiting on each. The
// loops are unrolled in full: the halves of every lane then stay in
// registers and the subkeys sit at fixed offsets.
template <std::size_t Lanes>
void DesEngine::CryptSideBySide(std::uint8_t* blocks, std::size_t groups,
                                const Schedule& keys) const {
    const Tables& t = tables_;
    for (; groups > 0; --groups, blocks += 8 * Lanes) {
        std::uint32_t left[Lanes];
        std::uint32_t right[Lanes];
#pragma GCC unroll 8
        for (std::size_t n = 0; n < Lanes; ++n) {
            const std::uint8_t* block = blocks + 8 * n;
            std::uint64_t permuted = 0;
            for (unsigned i = 0; i < 8; ++i) permuted |= t.initial[i][block[i]];
            left[n] = static_cast<std::uint32_t>(permuted >> 32);
            right[n] = static_cast<std::uint32_t>(permuted);
        }

        // Two rounds per step, so the halves trade places without copies.
#pragma GCC unroll 8
        for (std::size_t round = 0; round < 16; round += 2) {
            const RoundKey& first = keys[round];
            const RoundKey& second = keys[round + 1];
#pragma GCC unroll 8
            for (std::size_t n = 0; n < Lanes; ++n)
                left[n] ^= Feistel(t.sp, right[n], first.odd, first.even);
#pragma GCC unroll 8
            for (std::size_t n = 0; n < Lanes; ++n)
                right[n] ^= Feistel(t.sp, left[n], second.odd, second.even);
        }

#pragma GCC unroll 8
        for (std::size_t n = 0; n < Lanes; ++n) {
            // The preoutput is R16 L16.
            const std::uint64_t preoutput = (std::uint64_t{right[n]} << 32) | left[n];
            std::uint64_t out = 0;
            for (unsigned i = 0; i < 8; ++i) out |= t.final[i][(preoutput >> (56 - 8 * i)) & 0xFF];
            std::uint8_t* block = blocks + 8 * n;
            for (unsigned i = 0; i < 8; ++i)
                block[i] = static_cast<std::uint8_t>(out >> (56 - 8 * i));
        }
    }
}

void DesEngine::Crypt(std::uint8_t* blocks, std::size_t count, const Schedule& keys) const {
    // Four lanes ran clearly faster than two here; more added little but code.
    constexpr std::size_t kLanes = 4;
    CryptSideBySide<kLanes>(blocks, count / kLanes, keys);
    CryptSideBySide<1>(blocks + 8 * (count - count % kLanes), count % kLanes, keys);
}

}  // namespace nemora::engine
