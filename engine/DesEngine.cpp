#include "engine/DesEngine.h"

#include <bit>

#include "engine/DesTables.h"

namespace nemora::engine {

// The block permutations work a byte at a time: IP and IP^-1 are linear in
// the bits, so each is the OR of one lookup per byte. The bit numbering of
// the variant is folded into these tables, which leaves the rounds identical
// for both variants. S-boxes and P are merged into one lookup per S-box.
struct DesEngine::Tables {
    std::uint64_t initial[8][256];  // block byte -> IP output (bit 1 = bit 63)
    std::uint64_t final[8][256];    // preoutput byte (bit 1 first) -> block bytes, big-endian
    DesVariant variant;
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

// S-boxes followed by P: for S-box j and its 6-bit input, the 32-bit result
// with the standard's bit 1 as bit 31.
struct SpTable {
    std::uint32_t sp[8][64];

    SpTable() {
        for (unsigned j = 0; j < 8; ++j) {
            for (unsigned x = 0; x < 64; ++x) {
                const unsigned row = ((x >> 4) & 2) | (x & 1);
                const unsigned column = (x >> 1) & 0xF;
                const unsigned s = des::kSBoxes[j][row * 16 + column];
                std::uint32_t out = 0;
                for (unsigned n = 1; n <= 32; ++n) {
                    const unsigned from = des::kPermutation[n - 1];  // S output bit 1..32
                    if (from < 4 * j + 1 || from > 4 * j + 4) continue;
                    if ((s >> (3 - (from - 4 * j - 1))) & 1) out |= std::uint32_t{1} << (32 - n);
                }
                sp[j][x] = out;
            }
        }
    }
};

const SpTable& Sp() {
    static const SpTable table;
    return table;
}

// E, XOR with the subkey, S-boxes and P. E's group j is the standard's bits
// 4j to 4j+5 of R (bit 0 meaning bit 32), which a left rotation by 4j+5
// brings into the low six bits.
std::uint32_t Feistel(std::uint32_t r, const std::array<std::uint8_t, 8>& subkey) {
    const auto& sp = Sp().sp;
    std::uint32_t out = 0;
    for (int j = 0; j < 8; ++j) {
        out |= sp[j][(std::rotl(r, (4 * j + 5) % 32) & 0x3F) ^ subkey[static_cast<unsigned>(j)]];
    }
    return out;
}

void BuildTables(DesVariant variant, std::uint64_t (&initial)[8][256],
                 std::uint64_t (&final)[8][256]) {
    unsigned ipOutputOf[65] = {};  // input bit k -> the IP output bit that takes it
    for (unsigned m = 1; m <= 64; ++m) ipOutputOf[des::kInitialPermutation[m - 1]] = m;

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
                const BitPlace place = PlaceOf(des::kInitialPermutation[q - 1], variant);
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

const DesEngine::Tables& DesEngine::TablesFor(DesVariant variant) {
    static const Tables* const standard = [] {
        auto* t = new Tables;
        t->variant = DesVariant::Standard;
        BuildTables(DesVariant::Standard, t->initial, t->final);
        return t;
    }();
    static const Tables* const page = [] {
        auto* t = new Tables;
        t->variant = DesVariant::Page;
        BuildTables(DesVariant::Page, t->initial, t->final);
        return t;
    }();
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
        c = (c << 1) | keyBit(des::kPermutedChoice1[i]);
        d = (d << 1) | keyBit(des::kPermutedChoice1[28 + i]);
    }

    const std::uint8_t* pc2 =
        variant == DesVariant::Standard ? des::kPermutedChoice2 : des::kPagePermutedChoice2;
    constexpr std::uint32_t kMask28 = (1u << 28) - 1;
    for (unsigned round = 0; round < 16; ++round) {
        const unsigned shift = des::kRotations[round];
        c = ((c << shift) | (c >> (28 - shift))) & kMask28;
        d = ((d << shift) | (d >> (28 - shift))) & kMask28;
        for (unsigned group = 0; group < 8; ++group) {
            std::uint8_t value = 0;
            for (unsigned i = 0; i < 6; ++i) {
                const unsigned e = pc2[6 * group + i];  // 1..28 in C, 29..56 in D
                const std::uint32_t bit = e <= 28 ? (c >> (28 - e)) & 1 : (d >> (56 - e)) & 1;
                value = static_cast<std::uint8_t>((static_cast<std::uint32_t>(value) << 1) | bit);
            }
            subkeys_[round][group] = value;
        }
    }
}

void DesEngine::Crypt(std::uint8_t* block, bool decipher) const {
    std::uint64_t permuted = 0;
    for (unsigned i = 0; i < 8; ++i) permuted |= tables_.initial[i][block[i]];

    auto left = static_cast<std::uint32_t>(permuted >> 32);
    auto right = static_cast<std::uint32_t>(permuted);
    for (unsigned round = 0; round < 16; ++round) {
        const auto& subkey = subkeys_[decipher ? 15 - round : round];
        const std::uint32_t next = left ^ Feistel(right, subkey);
        left = right;
        right = next;
    }

    // The preoutput is R16 L16.
    const std::uint64_t preoutput = (std::uint64_t{right} << 32) | left;
    std::uint64_t out = 0;
    for (unsigned i = 0; i < 8; ++i) out |= tables_.final[i][(preoutput >> (56 - 8 * i)) & 0xFF];
    for (unsigned i = 0; i < 8; ++i) block[i] = static_cast<std::uint8_t>(out >> (56 - 8 * i));
}

}  // namespace nemora::engine
