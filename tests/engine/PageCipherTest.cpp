#include <gtest/gtest.h>

#include "engine/PageCipher.h"
#include "engine/StreamFormat.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ReferenceDes.h"
#include "tests/support/TestPages.h"

namespace nemora::engine {
namespace {

using test::RecordingSink;

std::vector<std::uint8_t> Buffer(std::size_t size) {
    return test::RandomBytes(size, 7);
}

TEST(PageCipherTest, PassRoundTripsAndEnciphersEachBlockOnItsOwn) {
    const PageCipher cipher(DeriveKey("secret"));
    std::vector<std::uint8_t> data = Buffer(4096);
    std::copy_n(data.begin(), 8, data.begin() + 800);  // the same block at offsets 0 and 800
    const std::vector<std::uint8_t> plain = data;

    EXPECT_EQ(cipher.Encipher(data.data(), data.size(), nullptr), Result::Ok);
    EXPECT_NE(data, plain);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 8, data.begin() + 800));
    for (std::size_t at = 0; at < data.size(); at += 8) {
        test::Block block;
        std::copy_n(plain.begin() + static_cast<std::ptrdiff_t>(at), 8, block.begin());
        ASSERT_EQ(test::ReferenceDes(DeriveKey("secret"), block, true, false),
                  (test::Block{data[at], data[at + 1], data[at + 2], data[at + 3], data[at + 4],
                               data[at + 5], data[at + 6], data[at + 7]}))
            << "block at " << at;
    }
    EXPECT_EQ(cipher.Decipher(data.data(), data.size(), nullptr), Result::Ok);
    EXPECT_EQ(data, plain);
}

TEST(PageCipherTest, AnotherPasswordDoesNotRevealTheMagic) {
    std::uint8_t header[8];
    StreamFormat::WriteHeader(header, 1234);
    PageCipher(DeriveKey("right")).EncipherBlock(header);
    PageCipher(DeriveKey("wrong")).DecipherBlock(header);
    EXPECT_FALSE(StreamFormat::HasMagic(header));
}

TEST(PageCipherTest, TopBitOfKeyBytesTakesNoPart) {
    const Key low{1, 2, 3, 4, 5, 6, 7, 127};
    Key high = low;
    for (auto& b : high) b = static_cast<std::uint8_t>(b | 0x80);
    std::vector<std::uint8_t> a = Buffer(64);
    std::vector<std::uint8_t> b = a;
    (void)PageCipher(low).Encipher(a.data(), a.size(), nullptr);
    (void)PageCipher(high).Encipher(b.data(), b.size(), nullptr);
    EXPECT_EQ(a, b);
}

TEST(PageCipherTest, ReportsEvery1024BytesAndFinishesTheBufferAfterAStop) {
    struct Case {
        std::size_t size;
        std::size_t stopAt;
        std::size_t reports;
        Result result;
    };
    const Case cases[] = {
        {0, 0, 0, Result::Ok},
        {1016, 0, 0, Result::Ok},
        {1024, 0, 1, Result::Ok},
        {3000, 0, 2, Result::Ok},
        {3000, 1, 2, Result::EncryptStopped},
        {4096, 4, 4, Result::EncryptStopped},
    };
    for (const Case& c : cases) {
        for (bool decipher : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.size << " bytes, stop at " << c.stopAt
                                              << (decipher ? ", decipher" : ", encipher"));
            const PageCipher cipher(DeriveKey("p"));
            std::vector<std::uint8_t> data = Buffer(c.size);
            std::vector<std::uint8_t> expected = data;
            (void)(decipher ? cipher.Decipher(expected.data(), expected.size(), nullptr)
                            : cipher.Encipher(expected.data(), expected.size(), nullptr));
            RecordingSink sink(c.stopAt);
            const Result result = decipher ? cipher.Decipher(data.data(), data.size(), &sink)
                                           : cipher.Encipher(data.data(), data.size(), &sink);
            EXPECT_EQ(result, c.result);
            EXPECT_EQ(sink.reports, std::vector<test::Report>(c.reports, test::Report{4, 0}));
            EXPECT_EQ(data, expected) << "the whole buffer is processed";
        }
    }
}

}  // namespace
}  // namespace nemora::engine
