#include <cstring>
#include <sodium.h>
#include <string>

#include <gtest/gtest.h>

#include "engine/DataFileBuilder.h"
#include "engine/LockedDocument.h"
#include "engine/strong/StrongKey.h"
#include "engine/strong/StrongReader.h"
#include "engine/strong/StrongSealer.h"
#include "tests/strong/KnownKey.h"
#include "tests/support/MalformedStreams.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::engine::strong {
namespace {

// The smallest parameters the format allows keep the suite fast.
constexpr std::string_view kPassword = "test password";
const KdfParameters kSmall{19456, 2, 1};

const StrongKey& TestKey() {
    static const StrongKey key =
        *StrongKey::Derive(kPassword, test::SaltOf("salt of the test"), kSmall);
    return key;
}

std::vector<std::uint8_t> Seal(const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> container;
    EXPECT_EQ(StrongSealer(TestKey()).Seal(plain.data(), plain.size(), container), Result::Ok);
    return container;
}

std::vector<std::uint8_t> SealedPage(const std::vector<std::uint8_t>& page, std::string_view name) {
    return Seal(BuildDataFile(page.data(), page.size(), name, nullptr).data);
}

// Pages of about `length` bytes from one piece of text in an encoding.
std::vector<std::uint8_t> Repeated(std::string_view piece, std::size_t length) {
    std::string page;
    for (int line = 0; page.size() < length; ++line) {
        page += piece;
        page += std::to_string(line);
    }
    return test::Bytes(page);
}

TEST(StrongReaderTest, PagesOfEveryEncodingAndSizeComeBackExactly) {
    test::TempDir dir;
    struct Case {
        std::string name;
        std::vector<std::uint8_t> page;
    };
    const Case cases[] = {
        {"us-ascii", test::Bytes("x")},
        {"shift_jis", test::HtmlPage(3 * 1024 * 1024, 1)},
        {"euc-jp", Repeated("<p>\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xca\xb8\xbd\xf1</p>\n", 20000)},
        {"utf-8", Repeated("<p>\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae</p>\n", 300000)},
        {"iso-2022-jp", Repeated("<p>\x1b$BF|K\\8l\x1b(B</p>\r\n", 5000)},
        {"windows-1252", test::RandomBytes(64 * 1024, 2)},
        {std::string(300, 'n'), test::HtmlPage(1000, 3)},  // the name block keeps 256 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.name.substr(0, 20) << ", page of " << c.page.size() << " bytes");
        LockedDocument doc(FileLayer::System());
        doc.SetCharCodeName(c.name);
        ASSERT_EQ(doc.Load(nullptr, dir.Write("page.html", c.page)), Result::Ok);
        ASSERT_EQ(doc.Compress(nullptr), Result::Ok);
        std::vector<std::uint8_t> plain;
        ASSERT_EQ(doc.PlainStream(plain), Result::Ok);

        const auto container = Seal(plain);
        const UnlockedPage back = StrongReader::Read(container.data(), container.size(), TestKey());
        ASSERT_EQ(back.status, Result::Ok);
        EXPECT_EQ(back.page, c.page);
        EXPECT_EQ(back.encodingName, c.name.substr(0, 256));
    }
}

// Written by the format's steps alone, with the known key: what any other
// writer of the format produces.
TEST(StrongReaderTest, OpensAContainerBuiltByTheFormatsSteps) {
    ASSERT_GE(sodium_init(), 0);
    const test::KnownKey known;
    const auto page = test::HtmlPage(2000, 4);
    const auto plain = BuildDataFile(page.data(), page.size(), "utf-8", nullptr).data;
    auto container =
        test::Bytes(std::string("NEMORA-S\x01\x01\x01\x00"
                                "\x00\x00\x01\x00\x02\x00\x00\x00\x01\x00\x00\x00",
                                24));
    container.insert(container.end(), known.salt.begin(), known.salt.end());
    for (std::uint8_t b = 0x40; b < 0x58; ++b) container.push_back(b);  // the nonce
    const auto check = test::FromHex(known.keyCheck);
    container.insert(container.end(), check.begin(), check.end());
    container.resize(72 + plain.size() + 16);
    ASSERT_EQ(crypto_aead_xchacha20poly1305_ietf_encrypt(
                  container.data() + 72, nullptr, plain.data(), plain.size(), container.data(), 72,
                  nullptr, container.data() + 40, test::FromHex(known.cipherKey).data()),
              0);

    const UnlockedPage back =
        StrongReader::Read(container.data(), container.size(), known.password);
    ASSERT_EQ(back.status, Result::Ok);
    EXPECT_EQ(back.page, page);
    EXPECT_EQ(back.encodingName, "utf-8");
}

TEST(StrongReaderTest, WrongPasswordsAndKeysAreToldFromDamage) {
    const auto container = SealedPage(test::HtmlPage(3000, 5), "shift_jis");
    const auto* data = container.data();
    const std::size_t size = container.size();
    EXPECT_EQ(StrongReader::Read(data, size, kPassword).status, Result::Ok);
    EXPECT_EQ(StrongReader::Read(data, size, "test passworD").status, Result::WrongPassword);

    // A key kept from another run: another salt, so another K.
    const auto other = StrongKey::Derive(kPassword, test::SaltOf("another run salt"), kSmall);
    ASSERT_TRUE(other.has_value());
    const UnlockedPage back = StrongReader::Read(data, size, *other);
    EXPECT_EQ(back.status, Result::WrongPassword);
    EXPECT_TRUE(back.page.empty());

    const auto none = [](const ContainerHeader&) { return std::optional<StrongKey>(); };
    EXPECT_EQ(StrongReader::Read(data, size, none).status, Result::KeyNotDerived);
}

// The rule for one flipped bit: a changed salt or parameter (within the
// limits) changes K, and a changed key check no longer matches it: a wrong
// password, as far as any reader can tell. Anything else is damage: the
// header's own checks, or the tag, which covers the nonce and the rest of
// the header as well. A header refused by its own checks never gets as far
// as asking for a key.
TEST(StrongReaderTest, EveryFlippedBitIsRefusedByTheFormatsRule) {
    const auto container = SealedPage(test::Bytes("x"), "shift_jis");
    const auto readU32 = [](const std::vector<std::uint8_t>& c, std::size_t at) {
        return c[at] | std::uint32_t{c[at + 1]} << 8 | std::uint32_t{c[at + 2]} << 16 |
               std::uint32_t{c[at + 3]} << 24;
    };
    for (std::size_t at = 0; at < container.size(); ++at) {
        auto flipped = container;
        flipped[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
        SCOPED_TRACE(::testing::Message() << "bit " << at % 8 << " of byte " << at);

        const std::uint32_t memory = readU32(flipped, 12);
        const std::uint32_t passes = readU32(flipped, 16);
        const bool withinLimits = memory >= 19456 && memory <= 1048576 && passes >= 2 &&
                                  passes <= 16 && readU32(flipped, 20) == 1;
        const bool refusedHeader = at < 12 || !withinLimits;
        const bool anotherKey = (at >= 12 && at < 40) || (at >= 64 && at < 72);
        const Result expected =
            !refusedHeader && anotherKey ? Result::WrongPassword : Result::DataCorrupt;

        bool asked = false;
        const auto keyFor = [&](const ContainerHeader& header) {
            asked = true;
            if (header.salt == TestKey().Salt() && header.kdf == TestKey().Parameters()) {
                return std::optional<StrongKey>(TestKey());
            }
            return StrongKey::Derive(kPassword, header.salt, header.kdf);
        };
        const UnlockedPage back = StrongReader::Read(flipped.data(), flipped.size(), keyFor);
        EXPECT_EQ(back.status, expected);
        EXPECT_EQ(asked, !refusedHeader);
        EXPECT_TRUE(back.page.empty());
    }
}

// Each field at and beyond its limits. A refused header is never given to
// the key source, so a crafted container makes no reader derive; one that
// passes meets the tag, which fails as its header changed.
TEST(StrongReaderTest, HeaderFieldsAreCheckedBeforeAnyKeyIsDerived) {
    const auto container = SealedPage(test::HtmlPage(1000, 6), "shift_jis");
    struct Case {
        const char* name;
        std::size_t at;
        std::size_t width;  // 1 or 4 bytes
        std::uint32_t value;
        bool accepted;
    };
    const Case cases[] = {
        {"another magic", 7, 1, 'T', false},
        {"version 0", 8, 1, 0, false},
        {"version 2", 8, 1, 2, false},
        {"key derivation 0", 9, 1, 0, false},
        {"key derivation 2", 9, 1, 2, false},
        {"cipher 0", 10, 1, 0, false},
        {"cipher 2", 10, 1, 2, false},
        {"reserved 1", 11, 1, 1, false},
        {"memory 0", 12, 4, 0, false},
        {"memory 19,455 KiB", 12, 4, 19455, false},
        {"memory 19,456 KiB", 12, 4, 19457, true},
        {"memory 1 GiB", 12, 4, 1048576, true},
        {"memory 1 GiB and 1 KiB", 12, 4, 1048577, false},
        {"memory 4 GiB", 12, 4, 4194304, false},
        {"memory 4 TiB", 12, 4, 0xFFFFFFFF, false},
        {"passes 0", 16, 4, 0, false},
        {"passes 1", 16, 4, 1, false},
        {"passes 3", 16, 4, 3, true},
        {"passes 16", 16, 4, 16, true},
        {"passes 17", 16, 4, 17, false},
        {"lanes 0", 20, 4, 0, false},
        {"lanes 2", 20, 4, 2, false},
        {"lanes 4", 20, 4, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto edited = container;
        for (std::size_t i = 0; i < c.width; ++i) {
            edited[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        }
        bool asked = false;
        const auto keyFor = [&](const ContainerHeader&) {
            asked = true;
            return std::optional<StrongKey>(TestKey());
        };
        EXPECT_EQ(StrongReader::Read(edited.data(), edited.size(), keyFor).status,
                  Result::DataCorrupt);
        EXPECT_EQ(asked, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(StrongReader::Read(edited.data(), edited.size(), kPassword).status,
                      Result::DataCorrupt);
        }
    }
}

TEST(StrongReaderTest, ShortenedOrLengthenedContainersAreRefused) {
    auto container = SealedPage(test::HtmlPage(300, 7), "euc-jp");
    for (std::size_t size = 0; size < container.size(); ++size) {
        SCOPED_TRACE(::testing::Message() << size << " of " << container.size() << " bytes");
        const Result expected = size < 88 ? Result::DataTruncated : Result::DataCorrupt;
        EXPECT_EQ(StrongReader::Read(container.data(), size, TestKey()).status, expected);
    }
    container.push_back(0);
    EXPECT_EQ(StrongReader::Read(container.data(), container.size(), TestKey()).status,
              Result::DataCorrupt);
}

// The tag verifies for these: only the stream's own checks can refuse them.
TEST(StrongReaderTest, SealedStreamsThatDoNotCheckAreDamaged) {
    const auto page = test::HtmlPage(3000, 8);
    const auto plain = BuildDataFile(page.data(), page.size(), "shift_jis", nullptr).data;
    const Key des = DeriveKey("pw");
    struct Case {
        const char* name;
        std::vector<std::uint8_t> stream;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"a header alone", {plain.begin(), plain.begin() + 8}},
        {"the last block missing", {plain.begin(), plain.end() - 8}},
        {"a block too many", test::Bytes(std::string(plain.begin(), plain.end()) + "        ")},
        {"a data file enciphered the default way",
         BuildDataFile(page.data(), page.size(), "shift_jis", &des).data},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto container = Seal(c.stream);
        const UnlockedPage back = StrongReader::Read(container.data(), container.size(), TestKey());
        EXPECT_EQ(back.status, Result::DataCorrupt);
        EXPECT_TRUE(back.page.empty());
        EXPECT_TRUE(back.encodingName.empty());
    }
}

// The malformed streams every reader's tests share: sealed, each opens
// exactly where the plain reader accepts it and is damaged elsewhere.
TEST(StrongReaderTest, TheSharedMalformedStreamsOpenOnlyWhereThePlainReaderAccepts) {
    const std::vector<test::MalformedStream> rows = test::MalformedStreams();
    ASSERT_FALSE(rows.empty());
    for (const test::MalformedStream& row : rows) {
        SCOPED_TRACE(row.name);
        const auto container = Seal(row.stream);
        const UnlockedPage back = StrongReader::Read(container.data(), container.size(), TestKey());
        EXPECT_EQ(ResultName(back.status), std::string(row.engine == "Ok" ? "Ok" : "DataCorrupt"));
        EXPECT_EQ(back.page.empty(), back.status != Result::Ok);
    }
}

TEST(StrongReaderTest, ContainersAreKnownByTheirMagic) {
    const auto container = SealedPage(test::Bytes("x"), "shift_jis");
    EXPECT_TRUE(StrongReader::IsContainer(container.data(), container.size()));
    EXPECT_TRUE(StrongReader::IsContainer(container.data(), 8));
    EXPECT_FALSE(StrongReader::IsContainer(container.data(), 7));
    const auto page = test::Bytes("NEMORA-s<html>");
    EXPECT_FALSE(StrongReader::IsContainer(page.data(), page.size()));
}

}  // namespace
}  // namespace nemora::engine::strong
