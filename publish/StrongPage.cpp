#include "publish/StrongPage.h"

#include <array>
#include <charconv>
#include <optional>
#include <sodium.h>
#include <string>
#include <vector>

#include "engine/TextId.h"
#include "publish/ValueFormat.h"
#include "res/StringTable.h"

namespace nemora::publish {
namespace {

constexpr std::string_view kPromptMarker = "@NEMORA_PROMPT@";
constexpr std::string_view kOptionsMarker = "@NEMORA_OPTIONS@";
constexpr std::string_view kDataMarker = "@NEMORA_DATA@";
// Base64 in pieces of this many input bytes (a multiple of 3, so the pieces
// join without padding between them).
constexpr std::size_t kPiece = 3 * 16 * 1024;

std::string JsonNumber(double value) {
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    return {text, written.ptr};
}

bool WriteText(engine::OutputFile& out, std::string_view text) {
    return out.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

bool WriteBase64(engine::OutputFile& out, std::span<const std::uint8_t> bytes) {
    std::vector<char> text(sodium_base64_ENCODED_LEN(kPiece, sodium_base64_VARIANT_ORIGINAL));
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const std::size_t length = std::min(kPiece, bytes.size() - at);
        sodium_bin2base64(text.data(), text.size(), bytes.data() + at, length,
                          sodium_base64_VARIANT_ORIGINAL);
        if (!WriteText(out, text.data())) return false;
    }
    return true;
}

// Reading the data element back as a browser finds it: the page script asks
// for getElementById("nemora-data"), the first element with that id in the
// document, so text that only looks like the element (in a comment, in
// another script's or a textarea's text, in an attribute's value, in a
// template's contents) is passed over as the browser passes it over.

constexpr std::string_view kDataId = "nemora-data";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when text[at...] begins with `word` (lower case) in any case.
bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(text[at + i]) != word[i]) return false;
    }
    return true;
}

// Elements whose text holds no tags and no comments, up to their end tag.
bool HoldsRawText(std::string_view name) {
    for (const std::string_view raw : {"script", "style", "textarea", "title", "xmp", "iframe",
                                       "noembed", "noframes", "noscript"}) {
        if (name == raw) return true;
    }
    return false;
}

struct Tag {
    std::string name;  // lower case
    std::optional<std::string_view> id;
    std::size_t end = 0;  // past its '>'
};

// The tag whose name starts at `at` (after "<" or "</"); nullopt when its
// '>' never comes.
std::optional<Tag> ReadTag(std::string_view text, std::size_t at) {
    Tag tag;
    while (at < text.size() && !IsSpace(text[at]) && text[at] != '/' && text[at] != '>') {
        tag.name += Lower(text[at++]);
    }
    for (;;) {
        while (at < text.size() && (IsSpace(text[at]) || text[at] == '/')) ++at;
        if (at >= text.size()) return std::nullopt;
        if (text[at] == '>') {
            tag.end = at + 1;
            return tag;
        }
        std::string name(1, Lower(text[at++]));
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '/' && text[at] != '>' &&
               text[at] != '=') {
            name += Lower(text[at++]);
        }
        while (at < text.size() && IsSpace(text[at])) ++at;
        std::string_view value;
        if (at < text.size() && text[at] == '=') {
            ++at;
            while (at < text.size() && IsSpace(text[at])) ++at;
            if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
                const std::size_t close = text.find(text[at], at + 1);
                if (close == std::string_view::npos) return std::nullopt;
                value = text.substr(at + 1, close - at - 1);
                at = close + 1;
            } else {
                const std::size_t from = at;
                while (at < text.size() && !IsSpace(text[at]) && text[at] != '>') ++at;
                value = text.substr(from, at - from);
            }
        }
        // The first of two attributes of one name counts, as in a browser.
        if (name == "id" && !tag.id) tag.id = value;
    }
}

// Where the raw text that starts at `from` ends: its "</name" end tag.
std::size_t FindEndTag(std::string_view text, std::size_t from, std::string_view name) {
    for (std::size_t at = text.find("</", from); at != std::string_view::npos;
         at = text.find("</", at + 2)) {
        const std::size_t after = at + 2 + name.size();
        if (StartsWithNoCase(text, at + 2, name) && (after >= text.size() || IsSpace(text[after]) ||
                                                     text[after] == '/' || text[after] == '>')) {
            return at;
        }
    }
    return std::string_view::npos;
}

// Where the comment that starts at `at` ("<!--") ends, past its "-->".
std::size_t CommentEnd(std::string_view text, std::size_t at) {
    if (text.substr(at + 4, 1) == ">") return at + 5;   // "<!-->"
    if (text.substr(at + 4, 2) == "->") return at + 6;  // "<!--->"
    const std::size_t close = text.find("-->", at + 4);
    return close == std::string_view::npos ? close : close + 3;
}

// The text of the document's first element with the data id; nullopt when
// there is none, when it is no script (whose text the page script would
// not read as we do), or when an id is written with a character reference
// (which the browser would decode).
std::optional<std::string_view> DataElementText(std::string_view text) {
    int templates = 0;  // open template elements: their contents are no part of the document
    std::size_t at = 0;
    for (;;) {
        at = text.find('<', at);
        if (at == std::string_view::npos || at + 1 >= text.size()) return std::nullopt;
        const char next = text[at + 1];
        if (text.substr(at, 4) == "<!--") {
            at = CommentEnd(text, at);
            if (at == std::string_view::npos) return std::nullopt;
        } else if (next == '!' || next == '?') {  // a doctype or a bogus comment
            at = text.find('>', at);
            if (at == std::string_view::npos) return std::nullopt;
        } else if (next == '/' && at + 2 < text.size() && IsLetter(text[at + 2])) {
            const std::optional<Tag> tag = ReadTag(text, at + 2);
            if (!tag) return std::nullopt;
            if (tag->name == "template" && templates > 0) --templates;
            at = tag->end;
        } else if (IsLetter(next)) {
            const std::optional<Tag> tag = ReadTag(text, at + 1);
            if (!tag) return std::nullopt;
            if (tag->id && tag->id->find('&') != std::string_view::npos) return std::nullopt;
            if (tag->id == kDataId && templates == 0) {
                if (tag->name != "script") return std::nullopt;
                const std::size_t end = FindEndTag(text, tag->end, "script");
                if (end == std::string_view::npos) return std::nullopt;
                return text.substr(tag->end, end - tag->end);
            }
            if (tag->name == "template") ++templates;
            if (tag->name == "plaintext") return std::nullopt;  // all the rest is its text
            at = HoldsRawText(tag->name) ? FindEndTag(text, tag->end, tag->name) : tag->end;
            if (at == std::string_view::npos) return std::nullopt;
        } else {
            ++at;  // a '<' that starts no tag is text
        }
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> StrongPage::ReadContainer(
    std::span<const std::uint8_t> page) {
    const std::optional<std::string_view> base64 =
        DataElementText({reinterpret_cast<const char*>(page.data()), page.size()});
    if (!base64) return std::nullopt;
    std::vector<std::uint8_t> container(base64->size() / 4 * 3 + 3);
    std::size_t length = 0;
    if (sodium_base642bin(container.data(), container.size(), base64->data(), base64->size(),
                          " \t\r\n", &length, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    container.resize(length);
    return container;
}

std::string StrongPage::OptionsJson(const std::optional<Remember>& remember,
                                    const std::optional<SitePlace>& site) {
    std::string json = R"({"remember":)";
    if (remember) {
        const double days = remember->days < 0 ? -1 : remember->days;
        json += R"({"keyword":)" + JsonString(remember->keyword) + R"(,"days":)" +
                JsonNumber(days) + R"(,"ask":)" + (remember->ask ? "true" : "false") +
                R"(,"scope":)" + JsonString(remember->scope) + "}";
    } else {
        json += "null";
    }
    if (site) {
        json += R"(,"site":{"top":)" + JsonString(site->top) + R"(,"path":)" +
                JsonString(site->path) + "}";
    }
    return json + "}";
}

bool StrongPage::Write(std::span<const std::uint8_t> templ, std::string_view prompt,
                       res::Language language, const std::optional<Remember>& remember,
                       std::span<const std::uint8_t> container, engine::OutputFile& out,
                       const std::optional<SitePlace>& site) {
    const std::string_view text(reinterpret_cast<const char*>(templ.data()), templ.size());
    const std::size_t promptAt = text.find(kPromptMarker);
    const std::size_t optionsAt = text.find(kOptionsMarker);
    const std::size_t dataAt = text.find(kDataMarker);
    if (promptAt == std::string_view::npos || optionsAt == std::string_view::npos ||
        dataAt == std::string_view::npos || !(promptAt < optionsAt && optionsAt < dataAt)) {
        return false;
    }
    const std::string shownPrompt =
        HtmlEscape(prompt, res::StringTable::Get(engine::TextId::FallbackPrompt, language));
    const std::size_t afterPrompt = promptAt + kPromptMarker.size();
    const std::size_t afterOptions = optionsAt + kOptionsMarker.size();
    return WriteText(out, text.substr(0, promptAt)) && WriteText(out, shownPrompt) &&
           WriteText(out, text.substr(afterPrompt, optionsAt - afterPrompt)) &&
           WriteText(out, OptionsJson(remember, site)) &&
           WriteText(out, text.substr(afterOptions, dataAt - afterOptions)) &&
           WriteBase64(out, container) && WriteText(out, text.substr(dataAt + kDataMarker.size()));
}

}  // namespace nemora::publish
