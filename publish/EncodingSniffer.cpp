#include "publish/EncodingSniffer.h"

#include <algorithm>
#include <set>
#include <string>

#include "publish/EncodingLabels.h"

namespace nemora::publish {
namespace {

using Bytes = std::span<const std::uint8_t>;

bool IsSpace(std::uint8_t c) {
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}

bool IsSpace(char c) {
    return IsSpace(static_cast<std::uint8_t>(c));
}

bool IsLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Lower(std::uint8_t c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
}

bool StartsWith(Bytes bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                      [](char p, std::uint8_t b) { return static_cast<std::uint8_t>(p) == b; });
}

// A declaration cannot switch a page that shows ASCII markup to UTF-16.
std::string_view AsDeclared(std::string_view encoding) {
    if (encoding == "utf-16be" || encoding == "utf-16le") return "utf-8";
    if (encoding == "x-user-defined") return "windows-1252";
    return encoding;
}

// The encoding named by "charset=" in a <meta> content value (already in
// lower case, as the prescan reads attribute values).
std::optional<std::string_view> FromContent(std::string_view content) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t word = content.find("charset", at);
        if (word == std::string_view::npos) return std::nullopt;
        at = word + 7;
        while (at < content.size() && IsSpace(content[at])) ++at;
        // "charset" without "=": look for the next one from here.
        if (at >= content.size() || content[at] != '=') continue;
        ++at;
        while (at < content.size() && IsSpace(content[at])) ++at;
        if (at >= content.size()) return std::nullopt;
        const char quote = content[at];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = content.find(quote, at + 1);
            if (end == std::string_view::npos) return std::nullopt;
            return EncodingLabels::Canonical(content.substr(at + 1, end - at - 1));
        }
        const std::size_t end = content.find_first_of("\t\n\f\r ;", at);
        return EncodingLabels::Canonical(content.substr(at, end - at));
    }
}

// The prescan over the bytes given: its loop, "get an attribute" and the
// <meta> rules. Running out of bytes anywhere ends it with nothing found.
class Prescan {
public:
    explicit Prescan(Bytes bytes) : bytes_(bytes) {}

    std::optional<std::string_view> Run() {
        while (More()) {
            const Bytes rest = bytes_.subspan(at_);
            if (StartsWith(rest, "<!--")) {
                // The '>' of the first "-->" after the '<': the hyphens of
                // "<!--" itself count, so "<!-->" is a whole comment.
                if (!SkipPast("-->", at_ + 2)) return std::nullopt;
            } else if (IsMetaStart(rest)) {
                at_ += 6;
                if (const std::optional<std::string_view> found = Meta()) return found;
                if (ended_) return std::nullopt;
                ++at_;
            } else if (rest[0] == '<' && rest.size() > 1 &&
                       (IsLetter(rest[1]) ||
                        (rest[1] == '/' && rest.size() > 2 && IsLetter(rest[2])))) {
                while (More() && !IsSpace(bytes_[at_]) && bytes_[at_] != '>') ++at_;
                while (Attribute()) {
                }
                if (ended_ || !More()) return std::nullopt;
                ++at_;
            } else if (StartsWith(rest, "<!") || StartsWith(rest, "</") || StartsWith(rest, "<?")) {
                if (!SkipPast(">", at_ + 2)) return std::nullopt;
            } else {
                ++at_;
            }
        }
        return std::nullopt;
    }

private:
    struct Attr {
        std::string name;
        std::string value;
    };

    bool More() const { return at_ < bytes_.size(); }

    // "<meta" in any case, then a space or a slash.
    static bool IsMetaStart(Bytes rest) {
        if (rest.size() < 6) return false;
        static constexpr std::string_view kMeta = "<meta";
        for (std::size_t i = 0; i < kMeta.size(); ++i) {
            if (Lower(rest[i]) != kMeta[i]) return false;
        }
        return IsSpace(rest[5]) || rest[5] == '/';
    }

    // Moves past the first `text` at or after `from`; false at the end.
    bool SkipPast(std::string_view text, std::size_t from) {
        for (std::size_t i = from; i + text.size() <= bytes_.size(); ++i) {
            if (StartsWith(bytes_.subspan(i), text)) {
                at_ = i + text.size();
                return true;
            }
        }
        at_ = bytes_.size();
        return false;
    }

    std::nullopt_t End() {
        ended_ = true;
        at_ = bytes_.size();
        return std::nullopt;
    }

    void SkipSpaces() {
        while (More() && IsSpace(bytes_[at_])) ++at_;
    }

    // "get an attribute": names and values in lower case; nothing at a '>'
    // (left for the caller's next byte) or at the end.
    std::optional<Attr> Attribute() {
        while (More() && (IsSpace(bytes_[at_]) || bytes_[at_] == '/')) ++at_;
        if (!More()) return End();
        if (bytes_[at_] == '>') return std::nullopt;
        Attr attr;
        bool hasValue = false;
        for (; !hasValue; ++at_) {
            if (!More()) return End();
            const std::uint8_t c = bytes_[at_];
            if (c == '=' && !attr.name.empty()) {
                hasValue = true;
            } else if (IsSpace(c)) {
                SkipSpaces();
                if (!More()) return End();
                if (bytes_[at_] != '=') return attr;
                hasValue = true;
            } else if (c == '/' || c == '>') {
                return attr;
            } else {
                attr.name += Lower(c);
            }
        }
        SkipSpaces();
        if (!More()) return End();
        const std::uint8_t first = bytes_[at_];
        if (first == '"' || first == '\'') {
            for (++at_; More(); ++at_) {
                if (bytes_[at_] == first) {
                    ++at_;
                    return attr;
                }
                attr.value += Lower(bytes_[at_]);
            }
            return End();
        }
        if (first == '>') return attr;
        for (; More(); ++at_) {
            if (IsSpace(bytes_[at_]) || bytes_[at_] == '>') return attr;
            attr.value += Lower(bytes_[at_]);
        }
        return End();
    }

    // The attributes of a <meta>: the encoding it declares, if it declares one.
    std::optional<std::string_view> Meta() {
        std::set<std::string> seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        // Set, to an encoding or to none (an unknown label), by the first
        // charset or content attribute that names one.
        std::optional<std::optional<std::string_view>> charset;
        while (const std::optional<Attr> attr = Attribute()) {
            if (!seen.insert(attr->name).second) continue;
            if (attr->name == "http-equiv") {
                gotPragma = gotPragma || attr->value == "content-type";
            } else if (attr->name == "content") {
                const std::optional<std::string_view> found = FromContent(attr->value);
                if (found && !charset) {
                    charset = found;
                    needPragma = true;
                }
            } else if (attr->name == "charset") {
                charset = EncodingLabels::Canonical(attr->value);
                needPragma = false;
            }
        }
        if (ended_ || !needPragma || (*needPragma && !gotPragma)) return std::nullopt;
        if (!charset || !*charset) return std::nullopt;
        return AsDeclared(**charset);
    }

    Bytes bytes_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

// "get an XML encoding": the encoding="..." of an XML declaration that
// starts the page.
std::optional<std::string_view> XmlDeclared(Bytes bytes) {
    if (!StartsWith(bytes, "<?xml")) return std::nullopt;
    const auto end = std::find(bytes.begin(), bytes.end(), '>');
    if (end == bytes.end()) return std::nullopt;
    static constexpr std::string_view kEncoding = "encoding";
    const auto word =
        std::search(bytes.begin(), end, kEncoding.begin(), kEncoding.end(),
                    [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
    if (word == end) return std::nullopt;
    auto at = word + static_cast<std::ptrdiff_t>(kEncoding.size());
    const auto skipBlanks = [&] {
        while (at != bytes.end() && *at <= 0x20) ++at;
    };
    skipBlanks();
    if (at == bytes.end() || *at != '=') return std::nullopt;
    ++at;
    skipBlanks();
    if (at == bytes.end() || (*at != '"' && *at != '\'')) return std::nullopt;
    const std::uint8_t quote = *at++;
    const auto close = std::find(at, bytes.end(), quote);
    if (close == bytes.end()) return std::nullopt;
    if (std::any_of(at, close, [](std::uint8_t b) { return b <= 0x20; })) return std::nullopt;
    const std::optional<std::string_view> encoding =
        EncodingLabels::Canonical(std::string(at, close));
    if (!encoding) return std::nullopt;
    return *encoding == "utf-16be" || *encoding == "utf-16le" ? "utf-8" : *encoding;
}

struct Utf8Walk {
    bool valid = false;
    bool beyond = false;  // a character beyond ASCII
};

// Whether the bytes are valid UTF-8: shortest forms only, no surrogates,
// nothing above U+10FFFF.
Utf8Walk WalkUtf8(Bytes bytes) {
    bool beyond = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        beyond = true;
        std::size_t length = 0;
        std::uint8_t low = 0x80;  // the second byte's range, narrower after some leads
        std::uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // no overlong forms
            if (lead == 0xED) high = 0x9F;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
        } else {
            return {};
        }
        if (bytes.size() - i < length || bytes[i + 1] < low || bytes[i + 1] > high) return {};
        for (std::size_t k = 2; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return {};
        }
        i += length;
    }
    return {true, beyond};
}

bool IsUtf8BeyondAscii(Bytes bytes) {
    const Utf8Walk walk = WalkUtf8(bytes);
    return walk.valid && walk.beyond;
}

}  // namespace

std::optional<std::string_view> EncodingSniffer::Declared(std::span<const std::uint8_t> page) {
    if (StartsWith(page, "\xEF\xBB\xBF")) return "utf-8";
    if (StartsWith(page, "\xFE\xFF")) return "utf-16be";
    if (StartsWith(page, "\xFF\xFE")) return "utf-16le";
    const Bytes scanned = page.first(std::min(page.size(), kScanned));
    if (const std::optional<std::string_view> meta = Prescan(scanned).Run()) return meta;
    return XmlDeclared(scanned);
}

bool EncodingSniffer::IsUtf8(std::string_view text) {
    return WalkUtf8({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}).valid;
}

std::optional<std::string_view> EncodingSniffer::Sniff(std::span<const std::uint8_t> page) {
    if (const std::optional<std::string_view> declared = Declared(page)) return declared;
    if (IsUtf8BeyondAscii(page)) return "utf-8";
    return std::nullopt;
}

}  // namespace nemora::publish
