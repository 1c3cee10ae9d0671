#include "tests/support/ReferenceDes.h"

#include <vector>

#include "engine/DesTables.h"

namespace nemora::test {
namespace {

using engine::DesTables;
using Bits = std::vector<int>;  // element 0 unused: bits are numbered from 1

Bits ToBits(const Block& bytes) {
    Bits bits(65);
    for (int k = 1; k <= 64; ++k) bits[k] = (bytes[(k - 1) / 8] >> (7 - (k - 1) % 8)) & 1;
    return bits;
}

Block FromBits(const Bits& bits) {
    Block bytes{};
    for (int k = 1; k <= 64; ++k) {
        bytes[(k - 1) / 8] =
            static_cast<std::uint8_t>(bytes[(k - 1) / 8] | (bits[k] << (7 - (k - 1) % 8)));
    }
    return bytes;
}

Bits Select(const Bits& from, const std::uint8_t* table, int count) {
    Bits out(count + 1);
    for (int i = 1; i <= count; ++i) out[i] = from[table[i - 1]];
    return out;
}

Block Reverse(const Block& block) {
    Block out{};
    for (int i = 0; i < 8; ++i) {
        std::uint8_t b = block[7 - i];
        std::uint8_t r = 0;
        for (int bit = 0; bit < 8; ++bit)
            r = static_cast<std::uint8_t>(r | (((b >> bit) & 1) << (7 - bit)));
        out[i] = r;
    }
    return out;
}

std::vector<Bits> Subkeys(const Block& key, bool page) {
    Block k = key;
    if (page) {
        for (auto& b : k) b = static_cast<std::uint8_t>(b << 1);
    }
    const Bits cd = Select(ToBits(k), DesTables::kPermutedChoice1, 56);
    Bits c(cd.begin() + 1, cd.begin() + 29);
    Bits d(cd.begin() + 29, cd.end());
    std::vector<Bits> subkeys;
    for (int round = 0; round < 16; ++round) {
        for (int s = 0; s < DesTables::kRotations[round]; ++s) {
            c.push_back(c.front());
            c.erase(c.begin());
            d.push_back(d.front());
            d.erase(d.begin());
        }
        Bits joined(1);
        joined.insert(joined.end(), c.begin(), c.end());
        joined.insert(joined.end(), d.begin(), d.end());
        subkeys.push_back(Select(
            joined, page ? DesTables::kPagePermutedChoice2 : DesTables::kPermutedChoice2, 48));
    }
    return subkeys;
}

Bits Feistel(const Bits& r, const Bits& subkey) {
    const Bits e = Select(r, DesTables::kExpansion, 48);
    Bits s(33);
    for (int box = 0; box < 8; ++box) {
        int x[6];
        for (int i = 0; i < 6; ++i) x[i] = e[6 * box + i + 1] ^ subkey[6 * box + i + 1];
        const int row = x[0] * 2 + x[5];
        const int column = x[1] * 8 + x[2] * 4 + x[3] * 2 + x[4];
        const int value = DesTables::kSBoxes[box][row * 16 + column];
        for (int i = 0; i < 4; ++i) s[4 * box + i + 1] = (value >> (3 - i)) & 1;
    }
    return Select(s, DesTables::kPermutation, 32);
}

}  // namespace

Block ReferenceDes(const Block& key, const Block& block, bool page, bool decipher) {
    const std::vector<Bits> subkeys = Subkeys(key, page);
    const Bits permuted =
        Select(ToBits(page ? Reverse(block) : block), DesTables::kInitialPermutation, 64);
    Bits l(permuted.begin() + 1, permuted.begin() + 33);
    Bits r(permuted.begin() + 33, permuted.end());
    l.insert(l.begin(), 0);
    r.insert(r.begin(), 0);
    for (int round = 0; round < 16; ++round) {
        const Bits f = Feistel(r, subkeys[static_cast<std::size_t>(decipher ? 15 - round : round)]);
        Bits next(33);
        for (int i = 1; i <= 32; ++i) next[i] = l[i] ^ f[i];
        l = r;
        r = next;
    }
    Bits preoutput(1);
    preoutput.insert(preoutput.end(), r.begin() + 1, r.end());
    preoutput.insert(preoutput.end(), l.begin() + 1, l.end());
    // IP^-1 undoes IP: output bit IP[i] is preoutput bit i.
    Bits out(65);
    for (int i = 1; i <= 64; ++i) out[DesTables::kInitialPermutation[i - 1]] = preoutput[i];
    const Block result = FromBits(out);
    return page ? Reverse(result) : result;
}

}  // namespace nemora::test
