#include <string>

#include <gtest/gtest.h>

#include "engine/DataFileBuilder.h"
#include "engine/PageCipher.h"
#include "engine/StreamFormat.h"
#include "engine/StreamReader.h"
#include "tests/support/MalformedStreams.h"
#include "tests/support/TestPages.h"

namespace nemora::engine {
namespace {

std::vector<std::uint8_t> Lock(const std::vector<std::uint8_t>& page, std::string_view name,
                               const Key* key) {
    BuiltDataFile locked = BuildDataFile(page.data(), page.size(), name, key);
    EXPECT_EQ(locked.result, Result::Ok);
    return locked.data;
}

TEST(StreamReaderTest, OneBytePageGivesTheDocumentedFile) {
    const Key key = DeriveKey("pw");
    const auto plain = Lock(test::Bytes("x"), "shift_jis", nullptr);
    EXPECT_EQ(plain, test::Bytes(std::string("KZUT\x01\0\0\0shift_jis\0\0\0\0\0\0\0x       ", 32)));

    auto enciphered = plain;
    (void)PageCipher(key).Encipher(enciphered.data(), enciphered.size(), nullptr);
    EXPECT_EQ(Lock(test::Bytes("x"), "shift_jis", &key), enciphered);
}

TEST(StreamReaderTest, RoundTripsPagesNamesAndPasswords) {
    const std::string name300(300, 'e');
    const std::vector<std::uint8_t> pages[] = {
        test::Bytes("x"),
        test::Bytes("1234567"),
        test::Bytes("12345678"),
        test::HtmlPage(1000, 1),
        test::HtmlPage(70000, 2),
        test::Runs(50000, 3),
        test::RandomBytes(40000, 4),
    };
    const std::string names[] = {"shift_jis",           "",     "UTF8", "12345678",
                                 std::string(255, 'n'), name300};
    const std::string passwords[] = {"", "secret", "\x93\xfa\x96\x7b"};
    for (const auto& page : pages) {
        for (const auto& name : names) {
            for (const auto& password : passwords) {
                SCOPED_TRACE(::testing::Message()
                             << "page of " << page.size() << " bytes, name of " << name.size()
                             << ", password '" << password << "'");
                const Key key = DeriveKey(password);
                const auto data = Lock(page, name, &key);
                const UnlockedPage back = StreamReader(key).Read(data.data(), data.size());
                ASSERT_EQ(back.status, Result::Ok) << ResultName(back.status);
                EXPECT_EQ(back.page, page);
                EXPECT_EQ(back.encodingName, name.substr(0, 256));
            }
        }
    }
}

TEST(StreamReaderTest, WrongPasswordIsToldApart) {
    const Key right = DeriveKey("right");
    const auto data = Lock(test::HtmlPage(5000, 5), "shift_jis", &right);
    const UnlockedPage back = StreamReader(DeriveKey("wrong")).Read(data.data(), data.size());
    EXPECT_EQ(back.status, Result::WrongPassword);
    EXPECT_TRUE(back.page.empty());
}

TEST(StreamReaderTest, EveryShorterPrefixIsTruncated) {
    const Key key = DeriveKey("k");
    const auto data = Lock(test::HtmlPage(3000, 6), "iso-2022-jp", &key);
    for (std::size_t size = 0; size < data.size(); ++size) {
        SCOPED_TRACE(::testing::Message() << size << " of " << data.size() << " bytes");
        ASSERT_EQ(StreamReader(key).Read(data.data(), size).status, Result::DataTruncated);
    }
}

// Plain streams built by hand, to break one rule at a time.
std::vector<std::uint8_t> Stream(std::uint32_t pageLength, std::string body) {
    std::string s = "KZUT";
    for (int i = 0; i < 4; ++i) s += static_cast<char>(pageLength >> (8 * i));
    s += std::string("UTF8\0\0\0\0", 8);
    return test::Bytes(s + body);
}

std::string CopyToken(std::uint32_t distance, std::uint32_t length) {
    return std::string(1, '\0') + static_cast<char>(distance & 0xFF) +
           static_cast<char>(distance >> 8) + static_cast<char>(length);
}

TEST(StreamReaderTest, PlainStreamsAreCheckedTokenByToken) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> stream;
        Result status;
    };
    const std::string abcde = "abcde";
    const Case cases[] = {
        {"valid copy", Stream(10, abcde + CopyToken(5, 5) + "       "), Result::Ok},
        {"no padding needed", Stream(8, "abcdefgh"), Result::Ok},
        {"copy straddling two blocks", Stream(12, "abcdefg" + CopyToken(7, 5) + "     "),
         Result::Ok},
        {"page length 0", Stream(0, "        "), Result::DataCorrupt},
        {"distance 0", Stream(10, abcde + CopyToken(0, 5) + "       "), Result::DataCorrupt},
        {"distance before the output", Stream(10, abcde + CopyToken(6, 5) + "       "),
         Result::DataCorrupt},
        {"length 4", Stream(9, abcde + CopyToken(5, 4) + "       "), Result::DataCorrupt},
        {"length above distance", Stream(11, abcde + CopyToken(5, 6) + "       "),
         Result::DataCorrupt},
        {"length 129", Stream(200, std::string(129, 'a') + CopyToken(129, 129) + "   "),
         Result::DataCorrupt},
        {"copy past the page", Stream(9, abcde + CopyToken(5, 5) + "       "), Result::DataCorrupt},
        {"padding not spaces", Stream(5, "abcde  x"), Result::DataCorrupt},
        {"a block after the padding", Stream(5, "abcde           "), Result::DataCorrupt},
        {"a stray byte at the end", Stream(5, "abcde   !"), Result::DataCorrupt},
        {"page longer than the body can make", Stream(0xFFFFFFFF, abcde + "   "),
         Result::DataTruncated},
        {"copy token cut by the end", Stream(40, abcde + CopyToken(5, 5).substr(0, 3)),
         Result::DataTruncated},
        {"no name terminator, no body", test::Bytes("KZUT\x05\0\0\0" + std::string(256, 'n')),
         Result::DataTruncated},
        {"not a stream", test::Bytes("<html><body>hello</body></html>"), Result::WrongPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const UnlockedPage back = StreamReader::ReadPlain(c.stream.data(), c.stream.size());
        EXPECT_EQ(back.status, c.status) << ResultName(back.status);
    }
}

// The malformed streams every reader's tests share, plain and enciphered:
// the same result both ways, and a page only with Ok.
TEST(StreamReaderTest, TheSharedMalformedStreamsGiveTheirResults) {
    const std::vector<test::MalformedStream> rows = test::MalformedStreams();
    ASSERT_FALSE(rows.empty());
    const Key key = DeriveKey("pw");
    const PageCipher cipher(key);
    for (const test::MalformedStream& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> data = row.stream;
        const std::size_t whole = data.size() / StreamFormat::kBlockSize * StreamFormat::kBlockSize;
        ASSERT_EQ(cipher.Encipher(data.data(), whole, nullptr), Result::Ok);
        for (const UnlockedPage& back :
             {StreamReader::ReadPlain(row.stream.data(), row.stream.size()),
              StreamReader(key).Read(data.data(), data.size())}) {
            EXPECT_EQ(ResultName(back.status), row.engine);
            EXPECT_EQ(back.page.empty(), back.status != Result::Ok);
        }
    }
}

TEST(StreamReaderTest, NameBlocksAreConsumedExactly) {
    // An 8-byte name is followed by a whole block of zeros; a name of 256
    // bytes or more by nothing: either way the body starts right after.
    for (const std::string& name :
         {std::string("12345678"), std::string(256, 'n'), std::string(400, 'm')}) {
        SCOPED_TRACE(name.size());
        const auto stream = Lock(test::Bytes("hello"), name, nullptr);
        const UnlockedPage back = StreamReader::ReadPlain(stream.data(), stream.size());
        ASSERT_EQ(back.status, Result::Ok);
        EXPECT_EQ(back.encodingName, name.substr(0, 256));
        EXPECT_EQ(back.page, test::Bytes("hello"));
    }
}

}  // namespace
}  // namespace nemora::engine
