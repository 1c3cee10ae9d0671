#include <random>
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

// Pages built to make a search long or to sit on the edges of its shortcuts:
// many candidates sharing their first bytes but stopping short of 128,
// matches of just under and over the key lengths, periodic text.
std::vector<std::uint8_t> Adversarial(int kind, std::size_t length, std::uint32_t start) {
    std::mt19937 random(start);
    std::vector<std::uint8_t> page;
    auto next = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    auto pick = [&](unsigned n) { return static_cast<std::uint8_t>('a' + next(n)); };
    while (page.size() < length) {
        switch (kind) {
            case 0:  // a common prefix of 5 bytes, then one random byte
                for (char c : std::string("aaaaa")) page.push_back(static_cast<std::uint8_t>(c));
                page.push_back(static_cast<std::uint8_t>(1 + next(250)));
                break;
            case 1:  // words of 8 or 15 bytes from a tiny alphabet
                for (int i = 0, n = next(2) ? 8 : 15; i < n; ++i) page.push_back(pick(2));
                page.push_back(' ');
                break;
            case 2:  // a pattern of 129 bytes, repeated
                page.push_back(static_cast<std::uint8_t>('A' + page.size() % 129 % 26));
                break;
            case 3:  // periods of 1 to 20 bytes, each repeated a varying number of times
            {
                std::vector<std::uint8_t> unit(1 + next(20));
                for (auto& b : unit) b = pick(3);
                for (unsigned r = 0, n = 1 + next(30); r < n; ++r)
                    page.insert(page.end(), unit.begin(), unit.end());
                break;
            }
            default:  // three letters: best matches of about 9 to 10 bytes
                page.push_back(pick(3));
                break;
        }
    }
    page.resize(length);
    return page;
}

TEST(PageCompressorTest, EqualsThePlainCompressorOnAdversarialPages) {
    for (int kind = 0; kind <= 4; ++kind) {
        SCOPED_TRACE(::testing::Message() << "kind " << kind);
        const auto page = Adversarial(kind, 60000, 100 + static_cast<std::uint32_t>(kind));
        EXPECT_EQ(Compress(page).body, test::ReferenceCompress(page));
    }
}

// Runs of one byte value, which the finder looks up by run instead of by
// position: the nearest run long enough, shorter runs, runs that match past
// their end by 1 to over 12 bytes, runs cut by the window's edge, by the
// copy's longest length and by the page's end.
std::vector<std::uint8_t> RunPage(int kind, std::size_t length, std::uint32_t start) {
    std::mt19937 random(start);
    auto next = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const std::string tails[] = {"<p class=\"x\">", "<p class=\"y\">", "<p>"};
    std::vector<std::uint8_t> page;
    auto run = [&](std::uint8_t value, unsigned n) { page.insert(page.end(), n, value); };
    for (unsigned step = 0; page.size() < length; ++step) {
        switch (kind) {
            case 0:  // runs of a few dozen to 130, two random bytes between
                run('a', 30 + next(100));
                page.push_back(static_cast<std::uint8_t>(1 + next(255)));
                page.push_back(static_cast<std::uint8_t>(1 + next(255)));
                break;
            case 1:  // one byte after every run: all of them may match past their end
                run(' ', 5 + next(140));
                page.push_back('X');
                break;
            case 2:  // indentation before one of a few tags, cut short now and then
            {
                run(' ', 4 + next(12));
                const std::string& tail = tails[next(3)];
                page.insert(page.end(), tail.begin(),
                            tail.begin() + 1 + next(static_cast<unsigned>(tail.size())));
                break;
            }
            case 3:  // lengths growing from 5 to 300, then again
                run(static_cast<std::uint8_t>('a' + step % 2), 5 + step % 296);
                break;
            case 4:  // runs about a window apart, in text without runs
                run('a', 20 + next(200));
                for (unsigned n = 30000 + next(5000); n > 0; --n)
                    page.push_back(static_cast<std::uint8_t>('b' + next(25)));
                break;
            default:  // long runs of two values (the page ends inside one)
                run(static_cast<std::uint8_t>('p' + next(2)), 100 + next(300));
                break;
        }
    }
    page.resize(length);
    return page;
}

TEST(PageCompressorTest, EqualsThePlainCompressorOnRuns) {
    for (int kind = 0; kind <= 5; ++kind) {
        SCOPED_TRACE(::testing::Message() << "run kind " << kind);
        const auto page = RunPage(kind, kind == 4 ? 200000 : 60000, 300 + kind);
        EXPECT_EQ(Compress(page).body, test::ReferenceCompress(page));
    }
}

TEST(PageCompressorTest, EqualsThePlainCompressorOnManySmallPages) {
    // Short pages over tiny alphabets put most matches against the page's end.
    const std::uint32_t start = 777;
    std::mt19937 random(start);
    for (int i = 0; i < 400; ++i) {
        const std::size_t length = 1 + random() % 600;
        const std::string alphabet = std::string("abcd").substr(0, 1 + random() % 4);
        const auto page = test::RandomText(length, alphabet, static_cast<std::uint32_t>(random()));
        SCOPED_TRACE(::testing::Message() << "random start " << start << " page " << i);
        ASSERT_EQ(Compress(page).body, test::ReferenceCompress(page));
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
