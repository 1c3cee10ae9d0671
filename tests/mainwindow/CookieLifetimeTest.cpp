#include <cmath>

#include <gtest/gtest.h>

#include "app/mainwindow/CookieLifetime.h"
#include "tests/support/CommaLocale.h"

namespace nemora::app {
namespace {

TEST(CookieLifetimeTest, ReadsNumbersByTheAtofRule) {
    const struct {
        const char* text;
        double number;
    } cases[] = {
        {"7", 7},
        {"  \t1.5", 1.5},
        {"+2", 2},
        {"-3", -3},
        {"1e2", 100},
        {"1E+2x", 100},
        {"2.5e-1", 0.25},
        {"1e", 1},
        {"1e+", 1},
        {".5", 0.5},
        {"5.", 5},
        {"7日", 7},
        {"abc", 0},
        {"", 0},
        {".", 0},
        {"-", 0},
        {"e5", 0},
        {"inf", 0},
        {"nan", 0},
        {"0x10", 0},
        {"1,5", 1},
        {"1e999", HUGE_VAL},
        {"-1e999", -HUGE_VAL},
        {"1e-999", 0},
        {"１２", 0},  // full-width digits are no digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CookieLifetime::ReadNumber(c.text), c.number);
    }
}

TEST(CookieLifetimeTest, WritesDaysText) {
    const struct {
        double days;
        const char* text;
    } cases[] = {
        {7, "7.0"},
        {1.5, "1.5"},
        {0.25, "0.25"},
        {36500, "36500.0"},
        {0.05, "5.e-002"},
        {0.0123, "1.23e-002"},
        {0.0001, "1.e-004"},
        {0.1, "0.1"},
        {1.00005, "1.00005"},
        {100, "100.0"},
        {1234.56789012, "1234.56789"},
        {0.123456789123, "0.123456789"},
        {9.9999999999, "10.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(CookieLifetime::DaysText(c.days), c.text);
    }
    // The field shows the same text whatever the user's decimal point.
    const nemora::test::CommaLocale comma;
    ASSERT_TRUE(comma.Ok()) << "run: localedef -i de_DE -c -f UTF-8 de_DE.UTF-8";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(CookieLifetime::DaysText(c.days), c.text);
        EXPECT_EQ(CookieLifetime::FromTyped(c.text).text, c.text);
    }
}

TEST(CookieLifetimeTest, TypedTextBecomesAChoiceOrADayCount) {
    const struct {
        const char* typed;
        int selection;
        const char* text;
        std::int32_t keepDays;
    } cases[] = {
        {"abc", 0, "", 0},
        {"0", 0, "", 0},
        {"-3", 0, "", 0},
        {"0.00009", 0, "", 0},
        {"0.0001", -1, "1.e-004", 1},
        {"36500", -1, "36500.0", 365000000},
        {"36500.5", 1, "", -1},
        {"1e999", 1, "", -1},
        {"1e2", -1, "100.0", 1000000},
        {"0.05", -1, "5.e-002", 500},
        {"1.00005", -1, "1.00005", 10000},
        {" 7 days", -1, "7.0", 70000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const CookieLifetime::Typed typed = CookieLifetime::FromTyped(c.typed);
        EXPECT_EQ(typed.selection, c.selection);
        EXPECT_EQ(typed.text, c.text);
        EXPECT_EQ(typed.keepDays, c.keepDays);
    }
}

}  // namespace
}  // namespace nemora::app
