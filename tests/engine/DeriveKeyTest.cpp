#include <gtest/gtest.h>

#include "engine/Key.h"

namespace nemora::engine {
namespace {

struct DeriveCase {
    const char* name;
    std::string password;
    Key key;
};

const DeriveCase kCases[] = {
    // "Blue Fox" alone: B l u e ' ' F o x.
    {"empty", "", {66, 108, 117, 101, 32, 70, 111, 120}},
    // "abcBlue Fox": positions 8..10 (F, o, x) fold onto 0..2.
    {"short", "abc", {(97 + 70) % 128, (98 + 111) % 128, (99 + 120) % 128, 66, 108, 117, 101, 32}},
    // Shift_JIS 日本: every byte of a double-byte character counts on its own.
    {"multibyte",
     "\x93\xfa\x96\x7b",
     {(0x93 + ' ') % 128, (0xfa + 'F') % 128, (0x96 + 'o') % 128, (0x7b + 'x') % 128, 'B', 'l', 'u',
      'e'}},
};

TEST(DeriveKeyTest, SumsPasswordAndSuffixModulo128) {
    for (const DeriveCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const Key key = DeriveKey(c.password);
        EXPECT_EQ(key, c.key);
        for (std::uint8_t b : key) EXPECT_LT(b, 128);
    }
}

TEST(DeriveKeyTest, PasswordsWhoseClassSumsAgreeModulo128GiveOneKey) {
    EXPECT_EQ(DeriveKey("A"), DeriveKey("\xC1"));  // 0x41 + 128
    // Position 0 and position 8 share a key byte: moving 1 from one to the other keeps the sum.
    EXPECT_EQ(DeriveKey("AxxxxxxxB"), DeriveKey("BxxxxxxxA"));
    EXPECT_NE(DeriveKey("AxxxxxxxB"), DeriveKey("AxxxxxxxC"));
}

}  // namespace
}  // namespace nemora::engine
