#include "app/settings/RegistryText.h"

#include <algorithm>
#include <cstdint>

namespace nemora::app {
namespace {

using KeyPath = RegistryText::KeyPath;

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Long hex lists go on over several lines, each before this column.
constexpr std::size_t kLineWidth = 78;
constexpr char kHexDigits[] = "0123456789abcdef";

struct Line {
    std::string_view content;  // without the line break
    std::string_view raw;      // with it
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view content = text.substr(start, end - start);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        lines.push_back({content, text.substr(start, next - start)});
        start = next;
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (char c : digits) {
        const int digit = HexValue(c);
        if (digit < 0) return std::nullopt;
        number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    return number;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, code = lead & 0x1Fu, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, code = lead & 0x0Fu, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, code = lead & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// Control characters would break the line structure or vanish on the way
// through an editor.
bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Reads the quoted text that starts at text[pos]; `pos` ends up after the
// closing quote. Only \\ and \" are escapes.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string unquoted;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return unquoted;
        }
        if (c == '\\') {
            if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"')) {
                return std::nullopt;
            }
            ++pos;
        }
        unquoted += text[pos];
    }
    return std::nullopt;
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::optional<std::vector<std::uint8_t>> ParseHexList(std::string_view list) {
    std::vector<std::uint8_t> bytes;
    if (TrimLeft(list).empty()) return bytes;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string_view item = TrimRight(TrimLeft(list.substr(start, comma - start)));
        if (item.size() > 2) return std::nullopt;
        const std::optional<std::uint32_t> byte = ParseHexNumber(item);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::string_view::npos) return bytes;
        start = comma + 1;
    }
}

std::optional<RegistryValue> ParseData(std::string_view data) {
    if (data.starts_with('"')) {
        std::size_t pos = 0;
        const std::optional<std::string> text = ReadQuoted(data, pos);
        if (!text || !TrimRight(data.substr(pos)).empty()) return std::nullopt;
        RegistryValue value{RegistryValue::kRegSz, {text->begin(), text->end()}};
        value.data.push_back(0);
        return value;
    }
    if (data.starts_with("dword:")) {
        const std::optional<std::uint32_t> number = ParseHexNumber(TrimRight(data.substr(6)));
        if (!number) return std::nullopt;
        RegistryValue value{RegistryValue::kRegDword, {}};
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<std::uint8_t>(*number >> shift));
        }
        return value;
    }
    if (!data.starts_with("hex")) return std::nullopt;
    data.remove_prefix(3);
    std::uint32_t type = RegistryValue::kRegBinary;
    if (data.starts_with('(')) {
        const std::size_t close = data.find(')');
        if (close == std::string_view::npos) return std::nullopt;
        const std::optional<std::uint32_t> number = ParseHexNumber(data.substr(1, close - 1));
        if (!number) return std::nullopt;
        type = *number;
        data.remove_prefix(close + 1);
    }
    if (!data.starts_with(':')) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = ParseHexList(data.substr(1));
    if (!bytes) return std::nullopt;
    return RegistryValue{type, std::move(*bytes)};
}

std::optional<KeyPath> ParseHeader(std::string_view line) {
    line = TrimRight(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    const std::string_view inner = line.substr(1, line.size() - 2);
    // "[-key]" deletes a key when a file is imported; a stored registry has none.
    if (inner.empty() || inner.front() == '-') return std::nullopt;
    KeyPath path;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = inner.find('\\', start);
        const std::string_view name = inner.substr(start, slash - start);
        if (name.empty()) return std::nullopt;
        path.emplace_back(name);
        if (slash == std::string_view::npos) return path;
        start = slash + 1;
    }
}

bool IsStringData(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
    return text.find('\0') == std::string_view::npos && IsValidUtf8(text) &&
           !HasControlCharacter(text);
}

void AppendHex(std::string& out, std::uint32_t number, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kHexDigits[(number >> shift) & 0xFu];
    }
}

// "name"=data; text that the quoted form cannot carry as it is (line breaks,
// other control characters, bytes that are not UTF-8) goes as hex(1) bytes.
void AppendValueLine(std::string& out, std::string_view name, const RegistryValue& value,
                     std::string_view newline) {
    const std::size_t lineStart = out.size();
    out += name.empty() ? std::string("@") : Quote(name);
    out += '=';
    if (value.type == RegistryValue::kRegSz && IsStringData(value.data)) {
        out += Quote({reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1});
    } else if (value.type == RegistryValue::kRegDword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = number << 8 | value.data[static_cast<std::size_t>(i)];
        out += "dword:";
        AppendHex(out, number, 8);
    } else {
        if (value.type == RegistryValue::kRegBinary) {
            out += "hex:";
        } else {
            out += "hex(";
            int digits = 1;
            while (digits < 8 && (value.type >> (digits * 4)) != 0) ++digits;
            AppendHex(out, value.type, digits);
            out += "):";
        }
        std::size_t column = out.size() - lineStart;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            AppendHex(out, value.data[i], 2);
            column += 2;
            if (i + 1 == value.data.size()) break;
            out += ',';
            ++column;
            if (column + 3 > kLineWidth) {
                out += '\\';
                out += newline;
                out += "  ";
                column = 2;
            }
        }
    }
    out += newline;
}

bool EndsWithLineBreak(std::string_view text) {
    return text.ends_with('\n');
}

bool EndsWithBlankLine(std::string_view text) {
    if (!text.ends_with('\n')) return false;
    text.remove_suffix(1);
    if (text.ends_with('\r')) text.remove_suffix(1);
    return text.empty() || text.ends_with('\n');
}

// True when `path` is `prefix` or a key below it.
bool StartsWith(const KeyPath& path, const KeyPath& prefix) {
    if (path.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!RegistryText::SameName(path[i], prefix[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<RegistryText> RegistryText::Parse(std::string_view text) {
    RegistryText result;
    if (text.empty()) return result;
    const std::vector<Line> lines = SplitLines(text);
    std::string_view first = lines[0].content;
    if (first.starts_with(kByteOrderMark)) first.remove_prefix(kByteOrderMark.size());
    if (TrimRight(first) != kHeader) return std::nullopt;
    if (lines[0].raw.ends_with("\r\n")) result.newline_ = "\r\n";
    result.preamble_ = lines[0].raw;

    std::optional<std::size_t> current;
    const auto keepText = [&](std::string_view raw) {
        if (!current) {
            result.preamble_ += raw;
        } else if (!result.sections_[*current].edited) {
            result.sections_[*current].text += raw;
        }
    };
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view content = TrimLeft(lines[i].content);
        if (content.empty() || content.front() == ';') {
            keepText(lines[i].raw);
            continue;
        }
        if (content.front() == '[') {
            std::optional<KeyPath> path = ParseHeader(content);
            if (!path) return std::nullopt;
            if (const std::optional<std::size_t> known = result.Find(*path)) {
                // A key named twice holds the values of both sections, the
                // later one winning, as an import would leave it.
                current = known;
                result.sections_[*known].edited = true;
            } else {
                result.sections_.push_back(
                    {std::move(*path), {}, std::string(lines[i].raw), false});
                current = result.sections_.size() - 1;
            }
            continue;
        }
        if (!current) return std::nullopt;

        std::string name;
        std::size_t pos = 0;
        if (content.front() == '@') {
            pos = 1;
        } else {
            std::optional<std::string> quoted = ReadQuoted(content, pos);
            if (!quoted) return std::nullopt;
            name = std::move(*quoted);
        }
        const std::string_view rest = TrimLeft(content.substr(pos));
        if (!rest.starts_with('=')) return std::nullopt;
        std::string data(TrimLeft(rest.substr(1)));
        std::string raw(lines[i].raw);
        // A hex list goes on over lines that end with a backslash.
        if (data.starts_with("hex")) {
            while (TrimRight(data).ends_with('\\')) {
                if (i + 1 >= lines.size()) return std::nullopt;
                data.resize(TrimRight(data).size() - 1);
                ++i;
                data += TrimLeft(lines[i].content);
                raw += lines[i].raw;
            }
        }
        std::optional<RegistryValue> value = ParseData(data);
        if (!value) return std::nullopt;

        Section& section = result.sections_[*current];
        const auto same = std::find_if(section.values.begin(), section.values.end(),
                                       [&](const NamedValue& v) { return SameName(v.name, name); });
        if (same != section.values.end()) {
            same->value = std::move(*value);
        } else {
            section.values.push_back({std::move(name), std::move(*value)});
        }
        keepText(raw);
    }
    return result;
}

std::string RegistryText::Serialize() const {
    if (sections_.empty()) return {};
    std::string out = preamble_.empty() ? std::string(kHeader) + newline_ + newline_ : preamble_;
    for (const Section& section : sections_) AppendSection(out, section);
    return out;
}

void RegistryText::AppendSection(std::string& out, const Section& section) const {
    if (!EndsWithLineBreak(out)) out += newline_;
    if (!section.edited) {
        out += section.text;
        return;
    }
    if (!EndsWithBlankLine(out)) out += newline_;
    out += '[';
    for (std::size_t i = 0; i < section.path.size(); ++i) {
        if (i > 0) out += '\\';
        out += section.path[i];
    }
    out += ']';
    out += newline_;
    for (const NamedValue& named : section.values) {
        AppendValueLine(out, named.name, named.value, newline_);
    }
    out += newline_;
}

bool RegistryText::KeyExists(const KeyPath& path) const {
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const Section& section) { return StartsWith(section.path, path); });
}

std::vector<std::string> RegistryText::SubKeys(const KeyPath& path) const {
    std::vector<std::string> names;
    for (const Section& section : sections_) {
        if (section.path.size() <= path.size() || !StartsWith(section.path, path)) continue;
        const std::string& name = section.path[path.size()];
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string& known) { return SameName(known, name); })) {
            names.push_back(name);
        }
    }
    return names;
}

std::size_t RegistryText::ValueCount(const KeyPath& path) const {
    const std::optional<std::size_t> index = Find(path);
    return index ? sections_[*index].values.size() : 0;
}

std::optional<RegistryValue> RegistryText::Value(const KeyPath& path, std::string_view name) const {
    const std::optional<std::size_t> index = Find(path);
    if (!index) return std::nullopt;
    for (const NamedValue& named : sections_[*index].values) {
        if (SameName(named.name, name)) return named.value;
    }
    return std::nullopt;
}

void RegistryText::CreateKey(const KeyPath& path) {
    if (!KeyExists(path)) EnsureSection(path);
}

void RegistryText::SetValue(const KeyPath& path, std::string_view name,
                            const RegistryValue& value) {
    Section& section = sections_[EnsureSection(path)];
    for (NamedValue& named : section.values) {
        if (!SameName(named.name, name)) continue;
        if (named.value == value) return;
        named.value = value;
        section.edited = true;
        return;
    }
    section.values.push_back({std::string(name), value});
    section.edited = true;
}

bool RegistryText::DeleteValue(const KeyPath& path, std::string_view name) {
    const std::optional<std::size_t> index = Find(path);
    if (!index) return false;
    Section& section = sections_[*index];
    const auto found = std::find_if(section.values.begin(), section.values.end(),
                                    [&](const NamedValue& v) { return SameName(v.name, name); });
    if (found == section.values.end()) return false;
    section.values.erase(found);
    section.edited = true;
    return true;
}

bool RegistryText::DeleteKey(const KeyPath& path) {
    const std::optional<std::size_t> index = Find(path);
    if (!index) return false;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

bool RegistryText::IsKeyName(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos && IsValidUtf8(name) &&
           !HasControlCharacter(name);
}

bool RegistryText::IsValueName(std::string_view name) {
    return IsValidUtf8(name) && !HasControlCharacter(name);
}

bool RegistryText::SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

std::optional<std::size_t> RegistryText::Find(const KeyPath& path) const {
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].path.size() == path.size() && StartsWith(sections_[i].path, path)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t RegistryText::EnsureSection(const KeyPath& path) {
    if (const std::optional<std::size_t> index = Find(path)) return *index;
    // After the last section of the parent's branch, so that a key's
    // subkeys follow it; at the end when the branch has none yet.
    std::size_t position = sections_.size();
    if (path.size() > 1) {
        const KeyPath parent(path.begin(), path.end() - 1);
        for (std::size_t i = sections_.size(); i > 0; --i) {
            if (StartsWith(sections_[i - 1].path, parent)) {
                position = i;
                break;
            }
        }
    }
    sections_.insert(sections_.begin() + static_cast<std::ptrdiff_t>(position),
                     Section{path, {}, {}, true});
    return position;
}

}  // namespace nemora::app
