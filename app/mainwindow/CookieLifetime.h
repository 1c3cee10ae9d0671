#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nemora::app {

// The cookie lifetime as the main window's combo box holds it: list item 0
// ("ブラウザが閉じるまで", stored as 0), item 1 ("無期限", stored as -1), or a
// typed count of days from 0.0001 to 36500, stored in ticks of
// publish::CookieKeepTicks.
class CookieLifetime {
public:
    // What a typed text turns into when the field loses the focus.
    struct Typed {
        int selection;          // list item to select, or -1 to keep the text
        std::string text;       // the field's new text when no item is selected
        std::int32_t keepDays;  // the stored lifetime
    };

    // The number at the start of `text` by the C library's atof rule: blanks
    // skipped, the longest prefix that reads as a decimal number with an
    // optional sign, fraction and exponent; 0 when there is none. Unlike
    // strtod it knows no "inf", "nan" or hexadecimal forms, and it does not
    // depend on the locale's decimal point.
    static double ReadNumber(std::string_view text);

    // The days text of `days` (0.0001 to 36500): 9 significant digits, in
    // exponent form ("5.e-002") below 0.1, fixed otherwise with trailing
    // zeros dropped but one digit after the point kept ("7.0").
    static std::string DaysText(double days);

    static Typed FromTyped(std::string_view text);
};

}  // namespace nemora::app
