#include "publish/StrongPage.h"

#include <array>
#include <charconv>
#include <sodium.h>
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

}  // namespace

std::optional<std::vector<std::uint8_t>> StrongPage::ReadContainer(
    std::span<const std::uint8_t> page) {
    constexpr std::string_view kElement = "<script id=\"nemora-data\"";
    const std::string_view text(reinterpret_cast<const char*>(page.data()), page.size());
    const std::size_t element = text.find(kElement);
    if (element == std::string_view::npos) return std::nullopt;
    const std::size_t start = text.find('>', element);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t end = text.find("</script>", start);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view base64 = text.substr(start + 1, end - start - 1);
    std::vector<std::uint8_t> container(base64.size() / 4 * 3 + 3);
    std::size_t length = 0;
    if (sodium_base642bin(container.data(), container.size(), base64.data(), base64.size(),
                          " \t\r\n", &length, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    container.resize(length);
    return container;
}

std::string StrongPage::OptionsJson(const std::optional<Remember>& remember) {
    if (!remember) return R"({"remember":null})";
    const double days = remember->days < 0 ? -1 : remember->days;
    return R"({"remember":{"keyword":)" + JsonString(remember->keyword) + R"(,"days":)" +
           JsonNumber(days) + R"(,"ask":)" + (remember->ask ? "true" : "false") + R"(,"scope":)" +
           JsonString(remember->scope) + "}}";
}

bool StrongPage::Write(std::span<const std::uint8_t> templ, std::string_view prompt,
                       res::Language language, const std::optional<Remember>& remember,
                       std::span<const std::uint8_t> container, engine::OutputFile& out) {
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
           WriteText(out, OptionsJson(remember)) &&
           WriteText(out, text.substr(afterOptions, dataAt - afterOptions)) &&
           WriteBase64(out, container) && WriteText(out, text.substr(dataAt + kDataMarker.size()));
}

}  // namespace nemora::publish
