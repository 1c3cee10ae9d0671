#include <string>

#include <gtest/gtest.h>

#include "engine/LockBuffer.h"
#include "engine/PageCompressor.h"
#include "tests/support/ExpectedReports.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/ReferenceCompressor.h"
#include "tests/support/TestPages.h"
#include "tests/support/Tokens.h"

namespace nemora::engine {
namespace {

using test::Copy;
using test::Literal;
using test::RecordingSink;
using test::Token;

struct Compressed {
    Result result;
    std::vector<std::uint8_t> body;  // after the header
};

Compressed Compress(const std::vector<std::uint8_t>& page, ProgressSink* sink = nullptr) {
    LockBuffer buffer;
    if (buffer.AssignPage(page.data(), page.size()) != Result::Ok) return {Result::ReadFailed, {}};
    const Result result = buffer.Compress(sink);
    if (result != Result::Ok) return {result, {}};
    return {result, {buffer.Bytes() + 8, buffer.Bytes() + buffer.StreamSize()}};
}

std::vector<Token> Literals(std::string_view text) {
    std::vector<Token> tokens;
    for (char c : text) tokens.push_back(Literal(c));
    return tokens;
}

std::vector<Token> Join(std::initializer_list<std::vector<Token>> parts) {
    std::vector<Token> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct TokenCase {
    const char* name;
    std::vector<std::uint8_t> page;
    std::vector<Token> tokens;
};

std::vector<TokenCase> TokenCases() {
    return {
        {"300 a: copies grow with their distance, the last one stops at the page's end",
         test::Bytes(std::string(300, 'a')),
         Join({Literals("aaaaa"),
               {Copy(5, 5), Copy(10, 10), Copy(20, 20), Copy(40, 40), Copy(80, 80), Copy(128, 128),
                Copy(12, 12)}})},
        {"a repeated 5-byte word becomes a copy", test::Bytes("abcdeabcdeX"),
         Join({Literals("abcde"), {Copy(5, 5)}, Literals("X")})},
        {"a match of 4 bytes stays literal", test::Bytes("abcdXabcdY"), Literals("abcdXabcdY")},
        {"no byte repeated gives only literals", test::Bytes("<html>"), Literals("<html>")},
        {"of two 7-byte matches the nearer wins", test::Bytes("abcdefgXabcdefgYabcdefgZ"),
         Join({Literals("abcdefgX"), {Copy(8, 7)}, Literals("Y"), {Copy(8, 7)}, Literals("Z")})},
        {"the longer match wins over the nearer", test::Bytes("abcdefgh1abcde2abcdefgh3"),
         Join({Literals("abcdefgh1"), {Copy(9, 5)}, Literals("2"), {Copy(15, 8)}, Literals("3")})},
        {"a match running into the page's end is cut there", test::Bytes("xyzuvwxyzuv"),
         Join({Literals("xyzuvw"), {Copy(6, 5)}})},
    };
}

TEST(PageCompressorTest, ChoosesTheSpecifiedTokens) {
    for (const TokenCase& c : TokenCases()) {
        SCOPED_TRACE(c.name);
        const Compressed out = Compress(c.page);
        ASSERT_EQ(out.result, Result::Ok);
        std::vector<std::uint8_t> padding;
        const std::vector<Token> tokens = test::SplitTokens(out.body, c.page.size(), &padding);
        EXPECT_EQ(test::Describe(tokens), test::Describe(c.tokens));
        EXPECT_EQ(out.body.size() % 8, 0u);
        EXPECT_LT(padding.size(), 8u);
        EXPECT_EQ(padding, std::vector<std::uint8_t>(padding.size(), ' '));
        EXPECT_EQ(out.body, test::ReferenceCompress(c.page));
    }
}

TEST(PageCompressorTest, WorkedExamplesHaveTheirPaddedSizes) {
    EXPECT_EQ(Compress(test::Bytes(std::string(300, 'a'))).body.size(), 40u);  // 33 + 7 spaces
    EXPECT_EQ(Compress(test::Bytes("abcdeabcdeX")).body.size(), 16u);          // 10 + 6 spaces
}

TEST(PageCompressorTest, WindowEdgeDecidesBetweenCopyAndLiterals) {
    const auto filler = test::RandomText(32761, "abcdefghijklmnopqrstuvwxyz", 5);
    auto page = test::Bytes("ABCDEFG");
    page.insert(page.end(), filler.begin(), filler.end());
    const auto tail = test::Bytes("ABCDEFG");
    page.insert(page.end(), tail.begin(), tail.end());
    ASSERT_EQ(page.size() - 7, 32768u);

    auto tokens = test::SplitTokens(Compress(page).body, page.size());
    EXPECT_EQ(tokens.back(), Copy(32768, 7));

    page.insert(page.begin() + 7, 'z');
    tokens = test::SplitTokens(Compress(page).body, page.size());
    EXPECT_EQ(tokens.back(), Literal('G'));
}

TEST(PageCompressorTest, EqualsThePlainCompressorOnVariedPages) {
    struct PageCase {
        const char* name;
        std::vector<std::uint8_t> page;
    };
    const PageCase cases[] = {
        {"html 100k", test::HtmlPage(100000, 1)},
        {"html just over the copy-back threshold", test::HtmlPage(33100, 2)},
        {"random bytes 100k (output above 65,536)", test::RandomBytes(100000, 3)},
        {"two letters 70k", test::RandomText(70000, "ab", 4)},
        {"four letters 70k", test::RandomText(70000, "acgt", 5)},
        {"runs 100k", test::Runs(100000, 6)},
        {"one letter 40k", test::Bytes(std::string(40000, 'q'))},
        {"text over a large alphabet 50k",
         test::RandomText(50000, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ <>/=\"", 7)},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Compressed out = Compress(c.page);
        ASSERT_EQ(out.result, Result::Ok);
        EXPECT_EQ(out.body, test::ReferenceCompress(c.page));
    }
}

TEST(PageCompressorTest, ZeroByteAnywhereIsBrokenText) {
    for (std::size_t at :
         {std::size_t{0}, std::size_t{500}, std::size_t{40000}, std::size_t{49999}}) {
        SCOPED_TRACE(::testing::Message() << "zero at " << at);
        auto page = test::HtmlPage(50000, 9);
        page[at] = 0;
        EXPECT_EQ(Compress(page).result, Result::BrokenText);
    }
}

TEST(PageCompressorTest, ReportsFourUnitsPerWhole1024BytesConsumed) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> page;
        std::size_t reports;
    };
    const Case cases[] = {
        {"1,023 bytes", test::HtmlPage(1023, 1), 0},
        {"2,048 literals", test::RandomBytes(2048, 11), 2},
        {"html 200k", test::HtmlPage(200000, 12), 0},
        {"one letter 10k (copies of 128 straddle the steps)", test::Bytes(std::string(10000, 'a')),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        ASSERT_EQ(Compress(c.page, &sink).result, Result::Ok);
        EXPECT_EQ(sink.reports, test::CompressReports(c.page));
        if (c.reports != 0) {
            EXPECT_EQ(sink.reports.size(), c.reports);
        }
    }
}

TEST(PageCompressorTest, StopAnsweredAtAnyReportEndsTheRun) {
    const auto page = test::HtmlPage(8192, 13);
    const std::size_t total = test::CompressReports(page).size();
    ASSERT_GT(total, 2u);
    for (std::size_t k = 1; k <= total; ++k) {
        SCOPED_TRACE(::testing::Message() << "stop at report " << k);
        RecordingSink sink(k);
        EXPECT_EQ(Compress(page, &sink).result, Result::LoadStopped);
        EXPECT_EQ(sink.reports.size(), k);
    }
}

}  // namespace
}  // namespace nemora::engine
