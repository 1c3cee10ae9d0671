#include <gtest/gtest.h>

#include "publish/CookieKeepTicks.h"
#include "publish/ValueFormat.h"
#include "tests/support/CommaLocale.h"

namespace nemora::publish {
namespace {

TEST(ValueFormatTest, DataFileNameCutsAtTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"index.html", "index.zvk"}, {"a.b.htm", "a.b.zvk"}, {"index", "index.zvk"},
        {".page", ".page.zvk"},      {"x.", "x.zvk"},        {"日本語.html", "日本語.zvk"},
    };
    for (const auto& [page, data] : cases) EXPECT_EQ(DataFileName(page), data) << page;
}

TEST(ValueFormatTest, HtmlEscapeTurnsMarkupAndLiteralBreakersIntoReferences) {
    const std::pair<const char*, const char*> cases[] = {
        {"a&b", "a&#38;b"},
        {"\"q\" 'a' <b>", "&#34;q&#34; &#39;a&#39; &#60;b&#62;"},
        {"&#38;", "&#38;#38;"},              // an entity typed by the user is shown as typed
        {"C:\\", "C:&#92;"},                 // a backslash cannot end the script literal
        {"one\r\ntwo", "one&#13;&#10;two"},  // nor can a line break
        {"パスワード", "パスワード"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(HtmlEscape(text, "fallback"), escaped) << text;
    EXPECT_EQ(HtmlEscape("", "fallback"), "fallback");
}

TEST(ValueFormatTest, UrlEscapeKeepsFileNamesInsideTheLiteral) {
    const std::pair<const char*, const char*> cases[] = {
        {"index.zvk", "index.zvk"},
        {"a\".zvk", "a%22.zvk"},
        {"a b&c%d'e<f>g\\h.zvk", "a%20b%26c%25d%27e%3Cf%3Eg%5Ch.zvk"},
        {"日本.zvk", "%E6%97%A5%E6%9C%AC.zvk"},
    };
    for (const auto& [name, escaped] : cases) EXPECT_EQ(UrlEscape(name), escaped) << name;
}

TEST(ValueFormatTest, DaysBecomeWholeTicksCutNotRounded) {
    const std::pair<double, std::int32_t> cases[] = {
        {0.0001, 1}, {0.00019, 1}, {0.00099, 9},       {1.00005, 10000},
        {7, 70000},  {0.5, 5000},  {36500, 365000000},
    };
    for (const auto& [days, ticks] : cases)
        EXPECT_EQ(CookieKeepTicks::FromDays(days), ticks) << days;
    EXPECT_EQ(CookieKeepTicks::ToDays(15000), 1.5);
}

TEST(ValueFormatTest, FormatKeepDaysWritesNineSignificantDigits) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {1, "1.e-004"},
        {500, "5.e-002"},
        {999, "9.99e-002"},
        {1000, "0.1"},
        {1234, "0.1234"},
        {5000, "0.5"},
        {10000, "1"},
        {15000, "1.5"},
        {300000, "30"},
        {365000000, "36500"},
        {70000, "7"},
        {12345, "1.2345"},
        {123456789, "12345.6789"},
    };
    for (const auto& [count, text] : cases) EXPECT_EQ(FormatKeepDays(count), text) << count;

    // A script literal: never the user's decimal comma.
    const nemora::test::CommaLocale comma;
    ASSERT_TRUE(comma.Ok()) << "run: localedef -i de_DE -c -f UTF-8 de_DE.UTF-8";
    for (const auto& [count, text] : cases) EXPECT_EQ(FormatKeepDays(count), text) << count;
}

}  // namespace
}  // namespace nemora::publish
