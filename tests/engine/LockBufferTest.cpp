#include <gtest/gtest.h>

#include "engine/LockBuffer.h"
#include "engine/StreamFormat.h"
#include "tests/support/TestPages.h"

namespace nemora::engine {
namespace {

std::vector<std::uint8_t> Contents(const LockBuffer& buffer) {
    return {buffer.Bytes(), buffer.Bytes() + buffer.StreamSize()};
}

TEST(LockBufferTest, AssignPageWritesThePlainHeader) {
    LockBuffer buffer;
    EXPECT_FALSE(buffer.IsEnciphered());
    const auto page = test::Bytes("<p>x</p>");
    ASSERT_EQ(buffer.AssignPage(page.data(), page.size()), Result::Ok);
    EXPECT_EQ(buffer.StreamSize(), 16u);
    EXPECT_EQ(buffer.PageSize(), 8u);
    EXPECT_FALSE(buffer.IsEnciphered());
    const auto expected = test::Bytes(std::string("KZUT\x08\0\0\0", 8) + "<p>x</p>");
    EXPECT_EQ(Contents(buffer), expected);
}

TEST(LockBufferTest, OnePageByteGivesTheByteAndSevenSpaces) {
    LockBuffer buffer;
    const auto page = test::Bytes("x");
    ASSERT_EQ(buffer.AssignPage(page.data(), page.size()), Result::Ok);
    ASSERT_EQ(buffer.Compress(nullptr), Result::Ok);
    EXPECT_EQ(Contents(buffer), test::Bytes(std::string("KZUT\x01\0\0\0", 8) + "x       "));
    EXPECT_EQ(buffer.PageSize(), 1u);
}

TEST(LockBufferTest, CompressingNothingFailsAndKeepsTheBuffer) {
    LockBuffer empty;
    EXPECT_EQ(empty.Compress(nullptr), Result::CompressFailed);
    EXPECT_EQ(empty.StreamSize(), 0u);

    LockBuffer headerOnly;
    ASSERT_EQ(headerOnly.AssignPage(nullptr, 0), Result::Ok);
    EXPECT_EQ(headerOnly.Compress(nullptr), Result::CompressFailed);
    EXPECT_EQ(headerOnly.StreamSize(), 8u);
}

TEST(LockBufferTest, RefusesAPageLongerThanTheHeaderCanState) {
    LockBuffer buffer;
    // The length is checked before the bytes are touched.
    EXPECT_EQ(buffer.AssignPage(nullptr, StreamFormat::kMaxPageLength + 1), Result::ReadFailed);
    EXPECT_EQ(buffer.AssignPage(nullptr, std::size_t{1} << 32), Result::ReadFailed);
    EXPECT_EQ(buffer.StreamSize(), 0u);
    EXPECT_EQ(buffer.PageSize(), 0u);
}

}  // namespace
}  // namespace nemora::engine
