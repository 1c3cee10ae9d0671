#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How the loader page's values are written. All functions work on bytes and
// leave multibyte characters alone (none of the bytes they act on can occur
// inside a UTF-8 or code page 932 double-byte character's trail, except as
// noted in UrlEscape, which escapes every byte above 0x7E anyway).
namespace nemora::publish {

// The data file's name: the page file name up to its last dot, plus ".zvk";
// the whole name plus ".zvk" when it has no dot or only a leading one.
std::string DataFileName(std::string_view pageFileName);

// Markup-escapes a text for a script string literal that the page writes as
// markup: & " ' < > as their numeric references, and also \ CR LF, so that a
// prompt such as "C:\" cannot end the literal. Empty text gives `fallback`.
std::string HtmlEscape(std::string_view text, std::string_view fallback);

// A file name made safe for a script string literal and a URL: bytes outside
// printable ASCII and " \ < > & % ' and blanks become %XX.
std::string UrlEscape(std::string_view name);

// A cookie lifetime count (ten-thousandths of a day, above 0) as a number of
// days in a script literal: 9 significant digits, no trailing zeros, and
// below 0.1 the exponent form "1.e-004".
std::string FormatKeepDays(std::int32_t count);

// A text as a JSON string for a script element's content: quotes and
// backslashes escaped, control characters and every "<", ">" and "&" as
// \u00XX, so no text can end the element early. Bytes above 0x7F are left
// as they are (the text is UTF-8).
std::string JsonString(std::string_view text);

}  // namespace nemora::publish
