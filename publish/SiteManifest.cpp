#include "publish/SiteManifest.h"

#include <algorithm>
#include <utility>

#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

constexpr std::string_view kOpening = R"({"version":1,"files":{)";

// Appends the UTF-8 form of `code` (below 0x10000: Text writes no other).
void AppendUtf8(unsigned code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The JSON string that starts at text[at] ('"'), unescaped; `at` goes past
// its closing quote. Nothing when it is not one.
std::optional<std::string> ReadString(std::string_view text, std::size_t& at) {
    if (at >= text.size() || text[at] != '"') return std::nullopt;
    std::string value;
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            ++at;
            return value;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++at >= text.size()) return std::nullopt;
        const char escaped = text[at];
        if (escaped == 'u') {
            if (at + 4 >= text.size()) return std::nullopt;
            unsigned code = 0;
            for (std::size_t i = 1; i <= 4; ++i) {
                const char digit = text[at + i];
                const int value4 = digit >= '0' && digit <= '9'   ? digit - '0'
                                   : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                                                                  : -1;
                if (value4 < 0) return std::nullopt;
                code = code << 4 | static_cast<unsigned>(value4);
            }
            AppendUtf8(code, value);
            at += 4;
        } else if (escaped == '"' || escaped == '\\') {
            value += escaped;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> SiteManifest::Paths(std::string_view text) {
    if (!text.starts_with(kOpening)) return std::nullopt;
    std::vector<std::string> paths;
    std::size_t at = kOpening.size();
    if (text.substr(at) == "}}") return paths;
    for (;;) {
        std::optional<std::string> path = ReadString(text, at);
        if (!path || text.substr(at, 2) != ":{") return std::nullopt;
        paths.push_back(std::move(*path));
        // The entry's members: strings, numbers and true; no object inside.
        for (at += 2; at < text.size() && text[at] != '}';) {
            if (text[at] == '"') {
                if (!ReadString(text, at)) return std::nullopt;
            } else {
                ++at;
            }
        }
        if (at >= text.size()) return std::nullopt;
        ++at;
        if (text.substr(at) == "}}") return paths;
        if (at >= text.size() || text[at] != ',') return std::nullopt;
        ++at;
    }
}

std::string SiteManifest::Text() {
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.path < b.path; });
    std::string text(kOpening);
    bool first = true;
    for (const Entry& entry : entries_) {
        if (!first) text += ',';
        first = false;
        text += JsonString(entry.path);
        text += R"(:{"type":)";
        text += JsonString(entry.type);
        text += R"(,"size":)";
        text += std::to_string(entry.size);
        if (entry.page) text += R"(,"page":true)";
        if (entry.isPublic) text += R"(,"public":true)";
        text += '}';
    }
    return text + "}}";
}

}  // namespace nemora::publish
