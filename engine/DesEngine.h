#pragma once

#include <array>
#include <cstddef>
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

    void Encipher(std::uint8_t* block) const { Crypt(block, 1, encipherKeys_); }
    void Decipher(std::uint8_t* block) const { Crypt(block, 1, decipherKeys_); }

    // `count` consecutive blocks, each on its own. Faster than one call per
    // block: independent blocks go through the rounds side by side.
    void Encipher(std::uint8_t* blocks, std::size_t count) const {
        Crypt(blocks, count, encipherKeys_);
    }
    void Decipher(std::uint8_t* blocks, std::size_t count) const {
        Crypt(blocks, count, decipherKeys_);
    }

private:
    struct Tables;
    static const Tables& TablesFor(DesVariant variant);

    // A round's 48 subkey bits as two words, laid out like the two rotated
    // copies of R they are XORed onto: S1, S7, S5, S3 in the low six bits of
    // bytes 0 to 3 of `odd`, S2, S8, S6, S4 likewise in `even`.
    struct RoundKey {
        std::uint32_t odd;
        std::uint32_t even;
    };
    using Schedule = std::array<RoundKey, 16>;

    void Crypt(std::uint8_t* blocks, std::size_t count, const Schedule& keys) const;
    template <std::size_t Lanes>
    void CryptSideBySide(std::uint8_t* blocks, std::size_t groups, const Schedule& keys) const;

    const Tables& tables_;
    // Deciphering runs the rounds with the subkeys in reverse order; keeping
    // both orders leaves the round loop without a branch.
    Schedule encipherKeys_{};
    Schedule decipherKeys_{};
};

}  // namespace nemora::engine
