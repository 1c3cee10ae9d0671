#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "engine/SecretString.h"

namespace nemora::engine {
namespace {

// The caller's string keeps its buffer; every byte of it must be zero.
bool Wiped(const char* buffer, std::size_t capacity) {
    return std::all_of(buffer, buffer + capacity, [](char c) { return c == 0; });
}

TEST(SecretStringTest, TakingATextWipesTheCallersBuffer) {
    for (const std::size_t length :
         {std::size_t{5}, std::size_t{40}}) {  // in place and on the heap
        SCOPED_TRACE(length);
        std::string typed(length, 'p');
        const char* buffer = typed.data();
        const std::size_t capacity = typed.capacity();
        const SecretString secret(std::move(typed));
        EXPECT_EQ(secret.View(), std::string(length, 'p'));
        EXPECT_TRUE(typed.empty());
        EXPECT_EQ(typed.data(), buffer);
        EXPECT_TRUE(Wiped(buffer, capacity));
    }
}

TEST(SecretStringTest, MovesAndAssignmentsLeaveNoCopyBehind) {
    SecretString first(std::string(40, 'a'));
    SecretString second(std::move(first));
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(Wiped(first.Text().data(), first.Text().capacity()));
    EXPECT_EQ(second, std::string(40, 'a'));

    // The longer text that the assignment replaces leaves no bytes beyond the
    // new one. The shorter text fits the buffer, which the string keeps; were
    // that ever not so, the check below could not read it, so the test says so.
    const char* buffer = second.Text().data();
    second = SecretString("short");
    EXPECT_EQ(second, "short");
    ASSERT_EQ(second.Text().data(), buffer);
    EXPECT_TRUE(Wiped(buffer + 6, second.Text().capacity() - 6));
    second.Wipe();
    EXPECT_TRUE(second.empty());
}

}  // namespace
}  // namespace nemora::engine
