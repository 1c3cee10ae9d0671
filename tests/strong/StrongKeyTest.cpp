#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/strong/StrongKey.h"
#include "tests/strong/KnownKey.h"

namespace nemora::engine::strong {
namespace {

using test::Hex;
using test::SaltOf;

// Computed like the known key, with Debian's argon2, the reference
// implementation's command. The reference suite's own rows use the 8-byte
// salt "somesalt" (password, t=2, 64 MiB, p=1: 09316115d5cf24ed...), which
// libsodium's fixed 16-byte salt cannot take; RFC 9106's Argon2id row uses
// 4 lanes, a secret and associated data, which libsodium's password hashing
// cannot take at all.
struct Row {
    std::string_view password;  // UTF-8, taken byte for byte
    std::string_view salt;
    KdfParameters parameters;
    std::string_view master;
};
const test::KnownKey kKnown;
const Row kRows[] = {
    {kKnown.password, kKnown.salt, kKnown.parameters, kKnown.master},
    {"p\xc3\xa4ssw\xc3\xb6rd \xe3\x83\x91\xe3\x82\xb9\xe3\x83\xaf\xe3\x83\xbc\xe3\x83\x89",
     "saltsaltsaltsalt",
     {19456, 3, 1},
     "1a333d95a66a14dc7ce1df507daa50000b3f88d6d308b885406c211ead73cb5d"},
    {"correct horse battery staple",
     "0123456789abcdef",
     {20000, 16, 1},
     "e51158d58bc931634929e2ad6ee506776959e9a81b2bc3a8b8fb03723c1830ec"},
};

// Each test runs in a process of its own: here the first use of libsodium
// happens on several threads at once.
TEST(StrongKeyTest, KnownAnswersHoldWhenDerivedOnSeveralThreadsAtOnce) {
    std::vector<std::optional<StrongKey>> keys(std::size(kRows));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        threads.emplace_back([&keys, i] {
            const Row& row = kRows[i];
            keys[i] = StrongKey::Derive(row.password, SaltOf(row.salt), row.parameters);
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const Row& row = kRows[i];
        SCOPED_TRACE(::testing::Message() << "salt " << row.salt << ", " << row.parameters.memoryKiB
                                          << " KiB, " << row.parameters.passes << " passes");
        ASSERT_TRUE(keys[i].has_value());
        EXPECT_EQ(Hex(keys[i]->Master()), row.master);
        EXPECT_EQ(keys[i]->Salt(), SaltOf(row.salt));
        EXPECT_EQ(keys[i]->Parameters(), row.parameters);
    }
}

TEST(StrongKeyTest, CipherKeyAndKeyCheckAreKeyedBlake2bOfTheirTexts) {
    const auto key = StrongKey::Derive(kKnown.password, SaltOf(kKnown.salt), kKnown.parameters);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(Hex(key->CipherKey()), kKnown.cipherKey);
    EXPECT_EQ(Hex(key->KeyCheck()), kKnown.keyCheck);
}

// A key outside the limits would seal containers that no reader opens.
TEST(StrongKeyTest, ParametersOutsideTheLimitsDeriveNothing) {
    const KdfParameters refused[] = {
        {19455, 2, 1},  {1048577, 2, 1}, {0, 2, 1},     {19456, 1, 1},
        {19456, 17, 1}, {19456, 0, 1},   {19456, 2, 0}, {19456, 2, 2},
    };
    for (const KdfParameters& parameters : refused) {
        SCOPED_TRACE(::testing::Message() << parameters.memoryKiB << " KiB, " << parameters.passes
                                          << " passes, " << parameters.lanes << " lanes");
        EXPECT_FALSE(StrongKey::Derive("pw", SaltOf(kKnown.salt), parameters).has_value());
    }
}

TEST(StrongKeyTest, EveryRunHasItsOwnSalt) {
    EXPECT_NE(StrongKey::NewSalt(), StrongKey::NewSalt());
    EXPECT_NE(StrongKey::NewSalt(), SaltBytes{});
}

}  // namespace
}  // namespace nemora::engine::strong
