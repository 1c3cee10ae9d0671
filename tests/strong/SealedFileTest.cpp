#include <algorithm>
#include <sodium.h>
#include <string>
#include <zlib.h>

#include <gtest/gtest.h>

#include "engine/strong/SealedFileReader.h"
#include "engine/strong/SealedFileWriter.h"
#include "engine/strong/SealedKeys.h"
#include "engine/strong/StrongReader.h"
#include "tests/strong/KnownKey.h"
#include "tests/support/TestPages.h"

namespace nemora::engine::strong {
namespace {

using test::FromHex;

KeyBytes MasterOf(std::string_view hex) {
    KeyBytes master{};
    const auto bytes = FromHex(hex);
    std::copy(bytes.begin(), bytes.end(), master.begin());
    return master;
}

const SealedKeys& TestKeys() {
    static const SealedKeys keys(MasterOf(test::KnownKey().master));
    return keys;
}

std::vector<std::uint8_t> Sealed(const std::vector<std::uint8_t>& payload, std::string_view path) {
    std::vector<std::uint8_t> sealed;
    EXPECT_EQ(SealedFileWriter(TestKeys()).Seal(payload.data(), payload.size(), path, sealed),
              Result::Ok);
    return sealed;
}

Result Open(const std::vector<std::uint8_t>& sealed, std::string_view path,
            const SealedKeys& keys = TestKeys()) {
    std::vector<std::uint8_t> payload{1};
    const Result status = SealedFileReader(keys).Open(sealed.data(), sealed.size(), path, payload);
    if (status != Result::Ok) {
        EXPECT_TRUE(payload.empty());
    }
    return status;
}

// Every byte value, zeros included.
std::vector<std::uint8_t> Binary(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    randombytes_buf(bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::uint8_t> RawDeflate(const std::vector<std::uint8_t>& in) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<std::uint8_t> out(deflateBound(&z, in.size()));
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::vector<std::uint8_t> RawInflate(const std::vector<std::uint8_t>& in, std::size_t size) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    std::vector<std::uint8_t> out(size);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// A sealed file built by the format's steps alone, from any body.
std::vector<std::uint8_t> BuiltByHand(const std::vector<std::uint8_t>& body,
                                      std::string_view path) {
    EXPECT_GE(sodium_init(), 0);
    auto file = test::Bytes("NEMORA-F\x01");
    for (std::uint8_t b = 0x40; b < 0x58; ++b) file.push_back(b);  // the nonce
    file.resize(33 + body.size() + 16);
    EXPECT_EQ(crypto_aead_xchacha20poly1305_ietf_encrypt(
                  file.data() + 33, nullptr, body.data(), body.size(),
                  reinterpret_cast<const unsigned char*>(path.data()), path.size(), nullptr,
                  file.data() + 9, FromHex(test::KnownKey().contentKey).data()),
              0);
    return file;
}

TEST(SealedFileTest, PayloadsOfEveryKindAndSizeComeBackExactly) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> payload;
        std::string path;
    };
    const Case cases[] = {
        {"empty", {}, "empty.txt"},
        {"one byte", test::Bytes("x"), "a/b/c/d.css"},
        {"a page", test::HtmlPage(5000, 1), "\xe6\x97\xa5\xe6\x9c\xac/index.html"},
        {"1 MB of page", test::HtmlPage(1024 * 1024, 2), "library/os.html"},
        {"binary", Binary(300000), "_images/logo.png"},
        {"zeros", std::vector<std::uint8_t>(100000, 0), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto sealed = Sealed(c.payload, c.path);
        std::vector<std::uint8_t> back;
        ASSERT_EQ(SealedFileReader(TestKeys()).Open(sealed.data(), sealed.size(), c.path, back),
                  Result::Ok);
        EXPECT_EQ(back, c.payload);
        EXPECT_TRUE(SealedFileReader::IsSealedFile(sealed.data(), sealed.size()));
        // What does not shrink is stored: header, tag and 5 bytes a block
        // of 64 KB at most, never an expanded packing.
        const std::size_t stored = c.payload.size() + 49 + 5 * (c.payload.size() / 65535 + 1);
        EXPECT_LE(sealed.size(), stored);
    }
}

// Every byte where the format puts it, opened by the format's steps alone
// with the known content key; and a file built that way opens.
TEST(SealedFileTest, FilesFollowTheFormatAndNeverShareANonce) {
    const auto page = test::HtmlPage(20000, 3);
    const std::string path = "docs/page.html";
    std::vector<std::uint8_t> files[2] = {Sealed(page, path), Sealed(page, path)};
    for (const auto& file : files) {
        ASSERT_GT(file.size(), 49u);
        EXPECT_LT(file.size(), page.size() / 2);  // compressed before it is enciphered
        EXPECT_EQ(std::string(file.begin(), file.begin() + 9), std::string("NEMORA-F\x01"));
        std::vector<std::uint8_t> body(file.size() - 49);
        ASSERT_EQ(crypto_aead_xchacha20poly1305_ietf_decrypt(
                      body.data(), nullptr, nullptr, file.data() + 33, file.size() - 33,
                      reinterpret_cast<const unsigned char*>(path.data()), path.size(),
                      file.data() + 9, FromHex(test::KnownKey().contentKey).data()),
                  0);
        EXPECT_EQ(RawInflate(body, page.size() + 1), page);
    }
    EXPECT_NE(std::vector(files[0].begin() + 9, files[0].begin() + 33),
              std::vector(files[1].begin() + 9, files[1].begin() + 33));

    const auto byHand = BuiltByHand(RawDeflate(page), path);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(SealedFileReader(TestKeys()).Open(byHand.data(), byHand.size(), path, back),
              Result::Ok);
    EXPECT_EQ(back, page);
}

// A file sealed under another run's key, or for another path (the file
// swapped for another on the server), fails its tag like damage does.
TEST(SealedFileTest, AnotherKeyOrAnotherPathIsRefused) {
    const auto sealed = Sealed(test::HtmlPage(2000, 4), "guide/index.html");
    EXPECT_EQ(Open(sealed, "guide/index.html"), Result::Ok);
    KeyBytes other = MasterOf(test::KnownKey().master);
    other[0] ^= 1;
    EXPECT_EQ(Open(sealed, "guide/index.html", SealedKeys(other)), Result::DataCorrupt);
    const char* paths[] = {"guide/Index.html",  "guide/index.html/", "/guide/index.html",
                           "guide\\index.html", "index.html",        ""};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Open(sealed, path), Result::DataCorrupt);
    }
}

TEST(SealedFileTest, EveryFlippedBitIsRefused) {
    const auto sealed = Sealed(test::Bytes("<p>x</p>"), "p.html");
    for (std::size_t at = 0; at < sealed.size(); ++at) {
        SCOPED_TRACE(::testing::Message() << "bit " << at % 8 << " of byte " << at);
        auto flipped = sealed;
        flipped[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
        EXPECT_EQ(Open(flipped, "p.html"), Result::DataCorrupt);
    }
}

TEST(SealedFileTest, ShortenedOrLengthenedFilesAreRefused) {
    auto sealed = Sealed(test::HtmlPage(300, 5), "p.html");
    for (std::size_t size = 0; size < sealed.size(); ++size) {
        SCOPED_TRACE(::testing::Message() << size << " of " << sealed.size() << " bytes");
        const std::vector<std::uint8_t> cut(sealed.begin(), sealed.begin() + size);
        EXPECT_EQ(Open(cut, "p.html"), size < 49 ? Result::DataTruncated : Result::DataCorrupt);
    }
    sealed.push_back(0);
    EXPECT_EQ(Open(sealed, "p.html"), Result::DataCorrupt);
}

// The tag verifies for these: only the decompression's own checks can
// refuse them.
TEST(SealedFileTest, BodiesThatAreNotOneWholeDeflateStreamAreDamaged) {
    const auto page = test::HtmlPage(4000, 6);
    const auto deflated = RawDeflate(page);
    auto trailing = deflated;
    trailing.push_back(0);
    auto twice = deflated;
    twice.insert(twice.end(), deflated.begin(), deflated.end());
    struct Case {
        const char* name;
        std::vector<std::uint8_t> body;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"the page itself", page},
        {"the stream's last byte missing", {deflated.begin(), deflated.end() - 1}},
        {"half the stream", {deflated.begin(), deflated.begin() + deflated.size() / 2}},
        {"a byte after the stream", trailing},
        {"the stream twice", twice},
        {"a zlib stream (header and checksum)", test::Bytes("\x78\x9c\x03\x00\x00\x00\x00\x01")},
        {"a reserved block type", {0x07, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Open(BuiltByHand(c.body, "p.html"), "p.html"), Result::DataCorrupt);
    }
}

TEST(SealedFileTest, SealedFilesAreKnownByTheirMagicAndVersion) {
    auto sealed = Sealed(test::Bytes("x"), "x");
    EXPECT_FALSE(SealedFileReader::IsSealedFile(sealed.data(), 7));
    sealed[8] = 2;
    EXPECT_EQ(Open(sealed, "x"), Result::DataCorrupt);
    auto container = sealed;
    container[7] = 'S';  // a strong page's container
    EXPECT_FALSE(SealedFileReader::IsSealedFile(container.data(), container.size()));
    EXPECT_EQ(Open(container, "x"), Result::DataCorrupt);
    EXPECT_FALSE(StrongReader::IsContainer(sealed.data(), sealed.size()));
}

}  // namespace
}  // namespace nemora::engine::strong
