#include "app/mainwindow/CookieLifetime.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

#include "app/mainwindow/MainWindowIds.h"
#include "publish/CookieKeepTicks.h"

namespace nemora::app {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

// The length of the unsigned decimal number at the start of `text`, 0 when
// there is none; `exponentSign` gets the sign of its exponent.
std::size_t NumberLength(std::string_view text, int& exponentSign) {
    std::size_t end = SkipDigits(text, 0);
    bool digits = end > 0;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = SkipDigits(text, end + 1);
        digits = digits || fraction > end + 1;
        end = fraction;
    }
    if (!digits) return 0;
    exponentSign = 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t at = end + 1;
        int sign = 1;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            sign = text[at] == '-' ? -1 : 1;
            ++at;
        }
        const std::size_t exponentEnd = SkipDigits(text, at);
        if (exponentEnd > at) {
            end = exponentEnd;
            exponentSign = sign;
        }
    }
    return end;
}

}  // namespace

double CookieLifetime::ReadNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    double sign = 1;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        sign = text[at] == '-' ? -1 : 1;
        ++at;
    }
    const std::string_view rest = text.substr(at);
    int exponentSign = 0;
    const std::size_t length = NumberLength(rest, exponentSign);
    if (length == 0) return 0;
    double value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + length, value);
    if (error == std::errc::result_out_of_range) {
        // atof gives the largest value or 0, as the exponent points.
        value = exponentSign > 0 ? std::numeric_limits<double>::infinity() : 0;
    }
    return sign * value;
}

std::string CookieLifetime::DaysText(double days) {
    // Rounded to 9 significant digits: d.dddddddde±XX. std::to_chars, not
    // printf, so that the text does not follow the user's decimal point.
    char buffer[32];
    const auto written =
        std::to_chars(std::begin(buffer), std::end(buffer), days, std::chars_format::scientific, 8);
    const std::string scientific(buffer, written.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, e - 2);
    const int exponent = std::stoi(scientific.substr(e + 1));
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    if (days < 0.1) {
        std::string power = std::to_string(std::abs(exponent));
        power.insert(0, power.size() < 3 ? 3 - power.size() : 0, '0');
        return digits.substr(0, 1) + "." + digits.substr(1) + (exponent < 0 ? "e-" : "e+") + power;
    }
    std::string whole = "0";
    std::string fraction = digits;
    if (exponent >= 0) {
        const auto wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < wholeDigits) digits.resize(wholeDigits, '0');
        whole = digits.substr(0, wholeDigits);
        fraction = digits.substr(wholeDigits);
    }
    return whole + "." + (fraction.empty() ? "0" : fraction);
}

CookieLifetime::Typed CookieLifetime::FromTyped(std::string_view text) {
    const double days = ReadNumber(text);
    using publish::CookieKeepTicks;
    if (!(days >= CookieKeepTicks::kShortestDays)) {
        return {mainwindow::kUntilBrowserCloses, {}, CookieKeepTicks::kSession};
    }
    if (days > CookieKeepTicks::kLongestDays) {
        return {mainwindow::kUnlimited, {}, CookieKeepTicks::kUnlimited};
    }
    return {mainwindow::kNoSelection, DaysText(days), CookieKeepTicks::FromDays(days)};
}

}  // namespace nemora::app
