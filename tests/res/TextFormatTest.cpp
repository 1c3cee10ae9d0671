#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "res/TextFormat.h"

namespace nemora::res {
namespace {

TEST(TextFormatTest, FillsMarkersInOnePassAndLeavesTheRestAsWritten) {
    struct Case {
        const char* name;
        std::string_view text;
        std::vector<std::string_view> arguments;
        std::string_view expected;
    };
    const Case cases[] = {
        {"each in its place", "%2 of %1", {"a", "b"}, "b of a"},
        {"a marker twice", "%1/%1", {"x"}, "x/x"},
        {"all nine",
         "%1%2%3%4%5%6%7%8%9",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
         "123456789"},
        {"in a Japanese text", "ページを開けません: %1", {"a.htm"}, "ページを開けません: a.htm"},
        {"an empty argument", "[%1]", {""}, "[]"},
        {"no argument for it", "%1 and %2", {"a"}, "a and %2"},
        {"no arguments at all", "%1", {}, "%1"},
        {"%0 is no marker", "%0%1", {"a"}, "%0a"},
        {"%% stays", "100%% %1", {"a"}, "100%% a"},
        {"a lone % at the end", "%1 %", {"a"}, "a %"},
        {"a % before a letter", "%a%1", {"b"}, "%ab"},
        {"%10 is %1 then 0", "%10", {"a"}, "a0"},
        {"an argument is not filled again", "%1 %2", {"%2", "b"}, "%2 b"},
        {"an argument's own percent", "%1", {"50%"}, "50%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatText(c.text, c.arguments), c.expected);
    }
}

}  // namespace
}  // namespace nemora::res
