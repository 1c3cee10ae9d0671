#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "engine/CharCodeBlock.h"

namespace nemora::engine {
namespace {

TEST(CharCodeBlockTest, NameIsTerminatedAndPaddedToWholeBlocks) {
    struct Case {
        std::size_t nameLength;
        std::uint32_t blockLength;
    };
    const Case cases[] = {{0, 8},   {7, 8},     {8, 16},    {9, 16},   {15, 16},
                          {16, 24}, {255, 256}, {256, 256}, {300, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "name of " << c.nameLength << " bytes");
        std::string name(c.nameLength, 'n');
        for (std::size_t i = 0; i < name.size(); ++i) name[i] = static_cast<char>('a' + i % 26);
        CharCodeBlock block;
        EXPECT_EQ(block.Count(), 0u);
        block.SetName(name);
        ASSERT_EQ(block.Count(), c.blockLength);
        const std::size_t kept = std::min<std::size_t>(c.nameLength, 256);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Bytes()), kept),
                  name.substr(0, kept));
        EXPECT_TRUE(std::all_of(block.Bytes() + kept, block.Bytes() + block.Count(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST(CharCodeBlockTest, NameEndsAtAZeroByteAsEveryReaderEndsIt) {
    CharCodeBlock block;
    block.SetName(std::string("abcdefgh\0xyz", 12));
    ASSERT_EQ(block.Count(), 16u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Bytes()), 16),
              std::string("abcdefgh\0\0\0\0\0\0\0\0", 16));
}

TEST(CharCodeBlockTest, SettingAShorterNameClearsTheOldBytes) {
    CharCodeBlock block;
    block.SetName("cseucpkdfmtjapanese");
    block.SetName("UTF8");
    ASSERT_EQ(block.Count(), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Bytes()), 8),
              std::string("UTF8\0\0\0\0", 8));
}

}  // namespace
}  // namespace nemora::engine
