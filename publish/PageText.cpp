#include "publish/PageText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <optional>

#include "publish/EncodingSniffer.h"
#include "publish/TextCodec.h"

namespace nemora::publish {
namespace {

enum class Mode { Page, Scan };

// The named references that stand in running text; others stay as written.
constexpr std::array<std::pair<std::string_view, char32_t>, 37> kNamed{{
    {"amp", U'&'},         {"lt", U'<'},          {"gt", U'>'},          {"quot", U'"'},
    {"apos", U'\''},       {"nbsp", U' '},        {"copy", U'\u00A9'},   {"reg", U'\u00AE'},
    {"trade", U'\u2122'},  {"hellip", U'\u2026'}, {"mdash", U'\u2014'},  {"ndash", U'\u2013'},
    {"lsquo", U'\u2018'},  {"rsquo", U'\u2019'},  {"ldquo", U'\u201C'},  {"rdquo", U'\u201D'},
    {"laquo", U'\u00AB'},  {"raquo", U'\u00BB'},  {"middot", U'\u00B7'}, {"bull", U'\u2022'},
    {"para", U'\u00B6'},   {"sect", U'\u00A7'},   {"deg", U'\u00B0'},    {"times", U'\u00D7'},
    {"divide", U'\u00F7'}, {"euro", U'\u20AC'},   {"yen", U'\u00A5'},    {"pound", U'\u00A3'},
    {"cent", U'\u00A2'},   {"shy", U'\u00AD'},    {"zwj", U'\u200D'},    {"zwnj", U'\u200C'},
    {"thinsp", U' '},      {"ensp", U' '},        {"emsp", U' '},        {"larr", U'\u2190'},
    {"rarr", U'\u2192'},
}};

// Elements inside a word's run: they join what stands around them.
constexpr std::string_view kInline[] = {
    "a",    "abbr",   "b",   "bdi", "bdo",  "cite", "code", "data", "dfn",
    "em",   "font",   "i",   "kbd", "mark", "q",    "s",    "samp", "small",
    "span", "strong", "sub", "sup", "time", "tt",   "u",    "var",  "wbr",
};

void AppendUtf8(std::string& out, char32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

void Separate(std::string& out) {
    if (!out.empty() && out.back() != ' ') out += ' ';
}

// The reference at the start of `text` (just after '&'): its character and
// length, or nothing.
std::optional<std::pair<char32_t, std::size_t>> Reference(std::string_view text) {
    if (text.starts_with('#')) {
        const bool hex = text.size() > 1 && (text[1] == 'x' || text[1] == 'X');
        const std::size_t start = hex ? 2 : 1;
        std::uint32_t code = 0;
        const char* first = text.data() + start;
        const auto [end, error] =
            std::from_chars(first, text.data() + std::min<std::size_t>(text.size(), start + 8),
                            code, hex ? 16 : 10);
        if (error != std::errc() || end == first) return std::nullopt;
        std::size_t length = static_cast<std::size_t>(end - text.data());
        if (length < text.size() && text[length] == ';') ++length;
        return std::pair{static_cast<char32_t>(code), length};
    }
    std::size_t length = 0;
    while (length < text.size() && length < 8 &&
           std::isalnum(static_cast<unsigned char>(text[length])))
        ++length;
    const std::string_view name = text.substr(0, length);
    for (const auto& [known, code] : kNamed) {
        if (known == name) {
            if (length < text.size() && text[length] == ';') ++length;
            return std::pair{code, length};
        }
    }
    return std::nullopt;
}

// Appends running text: references decoded, white space collapsed.
void AppendText(std::string& out, std::string_view raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (IsSpace(c)) {
            Separate(out);
        } else if (c != '&') {
            // What runs up to the next space or reference, in one piece.
            std::size_t end = i + 1;
            while (end < raw.size() && !IsSpace(raw[end]) && raw[end] != '&') ++end;
            out.append(raw.substr(i, end - i));
            i = end - 1;
        } else if (const auto reference = Reference(raw.substr(i + 1))) {
            if (reference->first == U' ') {
                Separate(out);
            } else {
                AppendUtf8(out, reference->first);
            }
            i += reference->second;
        } else {
            out += c;
        }
    }
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Where the tag that starts at `start` ('<') ends (its '>'), quotes stepped
// over; the text's end when it never closes.
std::size_t TagEnd(std::string_view html, std::size_t start) {
    char quote = 0;
    for (std::size_t i = start + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            // A quote opens a value only after '='.
            std::size_t before = i;
            while (before > start && IsSpace(html[before - 1])) --before;
            if (html[before - 1] == '=') quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return html.size();
}

// Where the raw text of a script, style, title... ends: at its closing tag.
std::size_t RawEnd(std::string_view html, std::size_t from, std::string_view name) {
    const std::string closing = "</" + std::string(name);
    for (std::size_t at = html.find("</", from); at != std::string_view::npos;
         at = html.find("</", at + 2)) {
        if (Lower(html.substr(at, closing.size())) == closing) return at;
    }
    return html.size();
}

struct Extracted {
    std::string text;
    std::string side;  // the insides of tags and, for pages, the title
};

Extracted Extract(std::string_view html, Mode mode) {
    Extracted out;
    out.text.reserve(html.size() / 2);
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t lt = html.find('<', i);
        const std::size_t runEnd = lt == std::string_view::npos ? html.size() : lt;
        AppendText(out.text, html.substr(i, runEnd - i));
        if (runEnd == html.size()) break;
        i = runEnd;
        if (html.substr(i, 4) == "<!--") {
            std::size_t end = html.find("-->", i + 4);
            if (end == std::string_view::npos) end = html.size();
            if (mode == Mode::Scan) {
                Separate(out.side);
                AppendText(out.side, html.substr(i + 4, end - i - 4));
            }
            i = std::min(end + 3, html.size());
            continue;
        }
        const char next = i + 1 < html.size() ? html[i + 1] : '\0';
        if (!std::isalpha(static_cast<unsigned char>(next)) && next != '/' && next != '!' &&
            next != '?') {
            out.text += '<';
            ++i;
            continue;
        }
        const std::size_t end = TagEnd(html, i);
        const std::string_view inside = html.substr(i + 1, end - i - 1);
        const bool closing = inside.starts_with('/');
        std::size_t nameEnd = closing ? 1 : 0;
        while (
            nameEnd < inside.size() &&
            (std::isalnum(static_cast<unsigned char>(inside[nameEnd])) || inside[nameEnd] == '-'))
            ++nameEnd;
        const std::string name = Lower(inside.substr(closing ? 1 : 0, nameEnd - (closing ? 1 : 0)));
        if (mode == Mode::Scan && nameEnd < inside.size()) {
            Separate(out.side);
            AppendText(out.side, inside.substr(nameEnd));
        }
        if (std::find(std::begin(kInline), std::end(kInline), name) == std::end(kInline))
            Separate(out.text);
        i = std::min(end + 1, html.size());
        const bool raw = name == "script" || name == "style" || name == "title" ||
                         name == "textarea" || (name == "template" && mode == Mode::Page);
        if (closing || !raw) continue;
        const std::size_t rawEnd = RawEnd(html, i, name);
        const std::string_view content = html.substr(i, rawEnd - i);
        if (name == "title" || name == "textarea") {
            std::string& into = name == "title" && mode == Mode::Page ? out.side : out.text;
            if (&into == &out.side && !out.side.empty()) {
                // Only a page's first title is its title.
            } else {
                AppendText(into, content);
            }
        } else if (mode == Mode::Scan) {
            Separate(out.text);
            AppendText(out.text, PageText::Unescaped(content));
        }
        i = rawEnd;
    }
    return out;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const std::size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::optional<std::uint32_t> Hex4(std::string_view text) {
    std::uint32_t code = 0;
    if (text.size() < 4) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + 4, code, 16);
    if (error != std::errc() || end != text.data() + 4) return std::nullopt;
    return code;
}

}  // namespace

std::string_view PageText::Utf8(std::span<const std::uint8_t> bytes, std::string& converted) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::optional<std::string_view> encoding = EncodingSniffer::Sniff(bytes);
    if (!encoding) {
        const bool ascii =
            std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
        if (ascii) return text;
        encoding = "shift_jis";
    }
    if (*encoding == "utf-8") return text;
    std::optional<std::string> utf8 = TextCodec::ToUtf8(text, *encoding);
    if (!utf8) return text;
    converted = std::move(*utf8);
    return converted;
}

PageText::Visible PageText::Of(std::string_view html) {
    Extracted extracted = Extract(html, Mode::Page);
    return Visible{Trimmed(std::move(extracted.side)), Trimmed(std::move(extracted.text))};
}

std::string PageText::Scanned(std::string_view text, bool escaped) {
    const std::string unescaped = escaped ? Unescaped(text) : std::string();
    Extracted extracted = Extract(escaped ? std::string_view(unescaped) : text, Mode::Scan);
    Separate(extracted.text);
    extracted.text += extracted.side;
    return Trimmed(std::move(extracted.text));
}

std::string PageText::Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'u') {
            const std::optional<std::uint32_t> high = Hex4(text.substr(i + 1));
            if (!high) {
                out += "\\u";
                continue;
            }
            i += 4;
            char32_t code = *high;
            if (code >= 0xD800 && code < 0xDC00 && text.substr(i + 1, 2) == "\\u") {
                if (const auto low = Hex4(text.substr(i + 3));
                    low && *low >= 0xDC00 && *low < 0xE000) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                    i += 6;
                }
            }
            AppendUtf8(out, code);
        } else if (c == 'n' || c == 't' || c == 'r' || c == 'b' || c == 'f') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace nemora::publish
