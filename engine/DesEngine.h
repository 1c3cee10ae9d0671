#pragma once

#include <array>
#include <cstdint>

namespace nemora::engine {

// How the 64 bits of a block and the key bits are numbered, and which PC-2
// selects the subkeys.
//  - Standard: DES exactly as FIPS 46 publishes it (kept for its known-answer
//    tests, which pin the shared tables and the round function).
//  - Page: the page cipher. The block is read as a big-endian 64-bit number
//    whose least significant bit is the standard's bit 1; each key byte gives
//    its seven low bits instead of its seven high ones; PC-2 is the page
//    table. Every data file depends on these differences.
enum class DesVariant { Standard, Page };

// A table-driven DES block function with the subkeys of one key.
class DesEngine {
public:
    DesEngine(const std::array<std::uint8_t, 8>& key, DesVariant variant);

    void Encipher(std::uint8_t* block) const { Crypt(block, false); }
    void Decipher(std::uint8_t* block) const { Crypt(block, true); }

private:
    struct Tables;
    static const Tables& TablesFor(DesVariant variant);

    void Crypt(std::uint8_t* block, bool decipher) const;

    const Tables& tables_;
    // Per round, the 48 subkey bits as eight 6-bit groups, S1's group first.
    std::array<std::array<std::uint8_t, 8>, 16> subkeys_{};
};

}  // namespace nemora::engine
