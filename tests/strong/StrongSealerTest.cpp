#include <sodium.h>
#include <string>

#include <gtest/gtest.h>

#include "engine/DataFileBuilder.h"
#include "engine/strong/StrongKey.h"
#include "engine/strong/StrongSealer.h"
#include "tests/strong/KnownKey.h"
#include "tests/support/TestPages.h"

namespace nemora::engine::strong {
namespace {

using test::FromHex;

// The cipher the format names, with the draft's own vector
// (draft-irtf-cfrg-xchacha-03, A.3.1), through the function the sealer uses.
TEST(StrongSealerTest, CipherIsTheDraftsXChaCha20Poly1305) {
    ASSERT_GE(sodium_init(), 0);
    const auto key = FromHex("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f");
    const auto nonce = FromHex("404142434445464748494a4b4c4d4e4f5051525354555657");
    const auto aad = FromHex("50515253c0c1c2c3c4c5c6c7");
    const auto plain = test::Bytes(
        "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
        "future, sunscreen would be it.");
    const auto expected = FromHex(
        "bd6d179d3e83d43b9576579493c0e939572a1700252bfaccbed2902c21396cbb"
        "731c7f1b0b4aa6440bf3a82f4eda7e39ae64c6708c54c216cb96b72e1213b452"
        "2f8c9ba40db5d945b11b69b982c1bb9e3f3fac2bc369488f76b2383565d3fff9"
        "21f9664c97637da9768812f615c68b13b52e"
        "c0875924c1c7987947deafd8780acf49");

    std::vector<std::uint8_t> sealed(plain.size() + kTagSize);
    ASSERT_EQ(crypto_aead_xchacha20poly1305_ietf_encrypt(sealed.data(), nullptr, plain.data(),
                                                         plain.size(), aad.data(), aad.size(),
                                                         nullptr, nonce.data(), key.data()),
              0);
    EXPECT_EQ(sealed, expected);
    std::vector<std::uint8_t> opened(plain.size());
    ASSERT_EQ(crypto_aead_xchacha20poly1305_ietf_decrypt(opened.data(), nullptr, nullptr,
                                                         sealed.data(), sealed.size(), aad.data(),
                                                         aad.size(), nonce.data(), key.data()),
              0);
    EXPECT_EQ(opened, plain);
}

// Every byte where the format puts it, opened by the format's steps alone
// with the known cipher key: nothing here comes from the sealer's own code.
TEST(StrongSealerTest, ContainersFollowTheFormatAndNeverShareANonce) {
    const test::KnownKey known;
    const auto key = StrongKey::Derive(known.password, test::SaltOf(known.salt), known.parameters);
    ASSERT_TRUE(key.has_value());
    const auto page = test::HtmlPage(5000, 1);
    const auto plain = BuildDataFile(page.data(), page.size(), "shift_jis", nullptr).data;

    const StrongSealer sealer(*key);
    std::vector<std::uint8_t> containers[2];
    for (auto& container : containers) {
        ASSERT_EQ(sealer.Seal(plain.data(), plain.size(), container), Result::Ok);
        ASSERT_EQ(container.size(), 72 + plain.size() + 16);
        const std::string fixed(container.begin(), container.begin() + 40);
        EXPECT_EQ(fixed, std::string("NEMORA-S\x01\x01\x01\x00"  // version, Argon2id, XChaCha
                                     "\x00\x00\x01\x00"          // 65,536 KiB
                                     "\x02\x00\x00\x00"          // 2 passes
                                     "\x01\x00\x00\x00",         // 1 lane
                                     24) +
                             std::string(known.salt));
        EXPECT_EQ(test::Hex(container.data() + 64, 8), known.keyCheck);

        const auto cipherKey = FromHex(known.cipherKey);
        std::vector<std::uint8_t> opened(plain.size());
        ASSERT_EQ(crypto_aead_xchacha20poly1305_ietf_decrypt(
                      opened.data(), nullptr, nullptr, container.data() + 72, container.size() - 72,
                      container.data(), 72, container.data() + 40, cipherKey.data()),
                  0);
        EXPECT_EQ(opened, plain);
    }
    EXPECT_NE(std::vector(containers[0].begin() + 40, containers[0].begin() + 64),
              std::vector(containers[1].begin() + 40, containers[1].begin() + 64));
}

}  // namespace
}  // namespace nemora::engine::strong
