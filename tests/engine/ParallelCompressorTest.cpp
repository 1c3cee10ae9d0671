// The compressor on several threads against the same compressor on one
// (which the page compressor's tests hold against the plain reference):
// the same bytes, the same reports, the same stops. Small chunks and short
// join spans put many joins, failed joins and chunk edges on small pages.

#include <string>

#include <gtest/gtest.h>

#include "engine/LockBuffer.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestPages.h"

namespace nemora::engine {
namespace {

using test::RecordingSink;

struct Outcome {
    Result result;
    std::vector<std::uint8_t> stream;
    std::vector<test::Report> reports;
};

Outcome Compress(const std::vector<std::uint8_t>& page, const CompressorOptions& options,
                 std::size_t stopAt = 0) {
    LockBuffer buffer;
    if (buffer.AssignPage(page.data(), page.size()) != Result::Ok)
        return {Result::ReadFailed, {}, {}};
    RecordingSink sink(stopAt);
    const Result result = buffer.Compress(&sink, options);
    std::vector<std::uint8_t> stream;
    if (result == Result::Ok) stream.assign(buffer.Bytes(), buffer.Bytes() + buffer.StreamSize());
    return {result, std::move(stream), std::move(sink.reports)};
}

CompressorOptions OneThread() {
    CompressorOptions options;
    options.threads = 1;
    return options;
}

CompressorOptions Threads(unsigned threads, std::uint32_t chunk, std::uint32_t span) {
    CompressorOptions options;
    options.threads = threads;
    options.chunk = chunk;
    options.span = span;
    return options;
}

std::vector<std::uint8_t> Repeated(std::string_view unit, std::size_t length) {
    std::string text;
    while (text.size() < length) text += unit;
    text.resize(length);
    return test::Bytes(text);
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

struct PageCase {
    const char* name;
    std::vector<std::uint8_t> page;
};

std::vector<PageCase> Pages() {
    return {
        {"html", test::HtmlPage(300000, 21)},
        {"random bytes (all literals: every position joins)", test::RandomBytes(150000, 22)},
        {"two letters (the longer keys)", test::RandomText(150000, "ab", 23)},
        {"runs of 1..300", test::Runs(200000, 24)},
        // Copies of 128 keep the phase they started with, so a guess that
        // starts on a chunk edge never meets the truth.
        {"one letter (no join ever)", Repeated("q", 150000)},
        {"a 129-byte pattern", Repeated(Text(test::RandomText(129, "xyz", 25)), 150000)},
    };
}

struct Setting {
    const char* name;
    CompressorOptions options;
};

const Setting kSettings[] = {
    {"2 threads, chunks of 16 KiB", Threads(2, 16 * 1024, 4096)},
    {"3 threads, chunks of 5,000, joins within 64 bytes", Threads(3, 5000, 64)},
    {"4 threads, chunks just over the window, joins at the edge only", Threads(4, 33000, 1)},
    {"2 threads, the join span longer than a chunk", Threads(2, 1024, 4096)},
    {"by size on 2 threads", Threads(2, 0, 4096)},
};

TEST(ParallelCompressorTest, SameStreamAndReportsAsOneThread) {
    for (const PageCase& page : Pages()) {
        const Outcome one = Compress(page.page, OneThread());
        ASSERT_EQ(one.result, Result::Ok) << page.name;
        for (const Setting& setting : kSettings) {
            SCOPED_TRACE(::testing::Message() << page.name << ", " << setting.name);
            const Outcome many = Compress(page.page, setting.options);
            ASSERT_EQ(many.result, Result::Ok);
            EXPECT_TRUE(many.stream == one.stream);
            EXPECT_EQ(many.reports, one.reports);
        }
    }
}

TEST(ParallelCompressorTest, ZeroByteGivesBrokenTextAfterTheSameReports) {
    const std::uint32_t chunk = 5000;
    struct ZeroCase {
        const char* name;
        std::vector<std::uint8_t> page;
        std::size_t at;
    };
    const ZeroCase cases[] = {
        {"in the first chunk", test::HtmlPage(60000, 31), 1234},
        {"on a chunk's first byte", test::HtmlPage(60000, 32), 3 * chunk},
        {"just past a chunk edge, where the parses are joined", test::HtmlPage(60000, 33),
         4 * chunk + 10},
        {"the last byte", test::HtmlPage(60000, 34), 59999},
        {"one letter, where the true parse takes over", Repeated("q", 60000), 6 * chunk + 77},
    };
    for (const ZeroCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto page = c.page;
        page[c.at] = 0;
        const Outcome one = Compress(page, OneThread());
        ASSERT_EQ(one.result, Result::BrokenText);
        for (const CompressorOptions& options : {Threads(2, chunk, 64), Threads(3, chunk, 1)}) {
            const Outcome many = Compress(page, options);
            EXPECT_EQ(many.result, Result::BrokenText);
            EXPECT_EQ(many.reports, one.reports);
        }
    }
}

TEST(ParallelCompressorTest, StopAnsweredAtAReportEndsTheRunThere) {
    const auto page = test::HtmlPage(200000, 41);
    const std::size_t total = Compress(page, OneThread()).reports.size();
    ASSERT_GT(total, 10u);
    for (std::size_t k : {std::size_t{1}, total / 2, total}) {
        SCOPED_TRACE(::testing::Message() << "stop at report " << k);
        const Outcome many = Compress(page, Threads(3, 8192, 256), k);
        EXPECT_EQ(many.result, Result::LoadStopped);
        EXPECT_EQ(many.reports.size(), k);
    }
}

}  // namespace
}  // namespace nemora::engine
