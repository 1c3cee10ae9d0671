#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DesEngine.h"
#include "tests/support/ReferenceDes.h"

namespace nemora::engine {
namespace {

using test::Block;

Block Hex(std::uint64_t value) {
    Block b{};
    for (int i = 0; i < 8; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (56 - 8 * i));
    return b;
}

struct KnownAnswer {
    std::uint64_t key;
    std::uint64_t plain;
    std::uint64_t cipher;
};

// Published known answers for standard DES: the NBS validation set (SP 500-20:
// IP and E, key permutation, data permutation and S-box tests), the FIPS 81
// sample ("Now is t") and widely used single-block vectors.
const KnownAnswer kKnownAnswers[] = {
    {0x0101010101010101, 0x95F8A5E5DD31D900, 0x8000000000000000},
    {0x0101010101010101, 0x8000000000000000, 0x95F8A5E5DD31D900},
    {0x8001010101010101, 0x0000000000000000, 0x95A8D72813DAA94D},
    {0x1046913489980131, 0x0000000000000000, 0x88D55E54F54C97B4},
    {0x7CA110454A1A6E57, 0x01A1D6D039776742, 0x690F5B0D9A26939B},
    {0x0131D9619DC1376E, 0x5CD54CA83DEF57DA, 0x7A389D10354BD271},
    {0x0123456789ABCDEF, 0x4E6F772069732074, 0x3FA40E8A984D4815},
    {0x133457799BBCDFF1, 0x0123456789ABCDEF, 0x85E813540F0AB405},
    {0x0000000000000000, 0x0000000000000000, 0x8CA64DE9C1B123A7},
    {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x7359B2163E4EDC58},
    {0x3000000000000000, 0x1000000000000001, 0x958E6E627A05557B},
    {0x0123456789ABCDEF, 0x1111111111111111, 0x17668DFC7292532D},
    {0x1111111111111111, 0x0123456789ABCDEF, 0x8A5AE1F81AB8F2DD},
};

TEST(DesEngineTest, StandardVariantMatchesPublishedKnownAnswers) {
    for (const KnownAnswer& v : kKnownAnswers) {
        SCOPED_TRACE(::testing::Message() << std::hex << "key " << v.key << " plain " << v.plain);
        const DesEngine des(Hex(v.key), DesVariant::Standard);
        Block block = Hex(v.plain);
        des.Encipher(block.data());
        EXPECT_EQ(block, Hex(v.cipher));
        des.Decipher(block.data());
        EXPECT_EQ(block, Hex(v.plain));
        // The bit-by-bit reference must agree, or it could not vouch for the variant.
        EXPECT_EQ(test::ReferenceDes(Hex(v.key), Hex(v.plain), false, false), Hex(v.cipher));
    }
}

// The page variant has no published vectors: the table-driven engine is held
// against the bit-by-bit reference, which applies the variant's differences in
// their plain form, over random keys and blocks.
TEST(DesEngineTest, BothVariantsMatchTheBitByBitReference) {
    const std::uint32_t start = 20261210;
    std::mt19937_64 random(start);
    for (DesVariant variant : {DesVariant::Standard, DesVariant::Page}) {
        const bool page = variant == DesVariant::Page;
        for (int i = 0; i < 300; ++i) {
            const Block key = Hex(random());
            const Block plain = Hex(random());
            SCOPED_TRACE(::testing::Message()
                         << "random start " << start << " case " << i << " page " << page);
            const DesEngine des(key, variant);
            Block block = plain;
            des.Encipher(block.data());
            ASSERT_EQ(block, test::ReferenceDes(key, plain, page, false));
            des.Decipher(block.data());
            ASSERT_EQ(block, plain);
            Block back = plain;
            des.Decipher(back.data());
            ASSERT_EQ(back, test::ReferenceDes(key, plain, page, true));
        }
    }
}

TEST(DesEngineTest, BlocksSideBySideEqualBlocksOneAtATime) {
    std::mt19937_64 random(99);
    for (DesVariant variant : {DesVariant::Standard, DesVariant::Page}) {
        const DesEngine des(Hex(random()), variant);
        for (std::size_t count : {1, 3, 4, 5, 7, 8, 9, 13}) {
            SCOPED_TRACE(::testing::Message() << count << " blocks");
            std::vector<std::uint8_t> plain(8 * count);
            for (auto& b : plain) b = static_cast<std::uint8_t>(random());
            for (bool decipher : {false, true}) {
                std::vector<std::uint8_t> together = plain;
                std::vector<std::uint8_t> alone = plain;
                if (decipher) {
                    des.Decipher(together.data(), count);
                } else {
                    des.Encipher(together.data(), count);
                }
                for (std::size_t i = 0; i < count; ++i) {
                    if (decipher) {
                        des.Decipher(alone.data() + 8 * i);
                    } else {
                        des.Encipher(alone.data() + 8 * i);
                    }
                }
                EXPECT_EQ(together, alone);
            }
        }
    }
}

TEST(DesEngineTest, PageVariantDiffersFromStandard) {
    const Block key = Hex(0x133457799BBCDFF1);
    Block standard = Hex(0x0123456789ABCDEF);
    Block page = standard;
    DesEngine(key, DesVariant::Standard).Encipher(standard.data());
    DesEngine(key, DesVariant::Page).Encipher(page.data());
    EXPECT_NE(standard, page);
}

}  // namespace
}  // namespace nemora::engine
