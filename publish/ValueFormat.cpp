#include "publish/ValueFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
            case '&': out += "&#38;"; break;
            case '"': out += "&#34;"; break;
            case '\'': out += "&#39;"; break;
            case '<': out += "&#60;"; break;
            case '>': out += "&#62;"; break;
            case '\\': out += "&#92;"; break;
            case '\r': out += "&#13;"; break;
            case '\n': out += "&#10;"; break;
            default: out += c; break;
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
    // The exponent of the leading digit once rounded to 9 significant digits.
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.8e", days);
    const char* e = std::strchr(scientific, 'e');
    const int exponent = std::atoi(e + 1);

    std::string text;
    if (exponent >= -1) {
        char fixed[64];
        std::snprintf(fixed, sizeof fixed, "%.*f", 8 - exponent, days);
        text = fixed;
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    } else {
        std::string mantissa(scientific, static_cast<std::size_t>(e - scientific));
        while (mantissa.back() == '0') mantissa.pop_back();
        char exponentText[16];
        std::snprintf(exponentText, sizeof exponentText, "e-%03d", -exponent);
        text = mantissa + exponentText;
    }
    return text;
}

}  // namespace nemora::publish
