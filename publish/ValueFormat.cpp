#include "publish/ValueFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

namespace nemora::publish {

std::string DataFileName(std::string_view pageFileName) {
    const std::size_t dot = pageFileName.rfind('.');
    const std::string_view stem =
        dot != std::string_view::npos && dot >= 1 ? pageFileName.substr(0, dot) : pageFileName;
    return std::string(stem) + ".zvk";
}

std::string HtmlEscape(std::string_view text, std::string_view fallback) {
    if (text.empty()) return std::string(fallback);
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&#38;";
                break;
            case '"':
                out += "&#34;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '<':
                out += "&#60;";
                break;
            case '>':
                out += "&#62;";
                break;
            case '\\':
                out += "&#92;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\n':
                out += "&#10;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::string UrlEscape(std::string_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        const bool unsafe = b <= 0x20 || b >= 0x7F || c == '"' || c == '\\' || c == '<' ||
                            c == '>' || c == '&' || c == '%' || c == '\'';
        if (unsafe) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatKeepDays(std::int32_t count) {
    const double days = count * 0.0001;
    // std::to_chars, not printf: the decimal point must not follow the
    // user's locale ("7,5" would end the script statement).
    char scientific[32];
    const auto rounded = std::to_chars(std::begin(scientific), std::end(scientific), days,
                                       std::chars_format::scientific, 8);
    const std::string_view text9(scientific, static_cast<std::size_t>(rounded.ptr - scientific));
    // The exponent of the leading digit once rounded to 9 significant digits.
    const std::size_t e = text9.find('e');
    int exponent = 0;
    const std::string_view exponentDigits = text9.substr(e + 1);
    std::from_chars(exponentDigits.data() + (exponentDigits[0] == '+' ? 1 : 0),
                    exponentDigits.data() + exponentDigits.size(), exponent);

    std::string text;
    if (exponent >= -1) {
        char fixed[64];
        const auto written = std::to_chars(std::begin(fixed), std::end(fixed), days,
                                           std::chars_format::fixed, 8 - exponent);
        text.assign(fixed, written.ptr);
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    } else {
        std::string mantissa(text9.substr(0, e));
        while (mantissa.back() == '0') mantissa.pop_back();
        const std::string power = std::to_string(-exponent);
        text =
            mantissa + "e-" + std::string(3 - std::min<std::size_t>(3, power.size()), '0') + power;
    }
    return text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace nemora::publish
