#include "engine/strong/SealedScript.h"

#include <algorithm>
#include <new>
#include <sodium.h>

namespace nemora::engine::strong {
namespace {

constexpr std::string_view kOpening = "nemoraSealed(\"";
constexpr std::string_view kBetween = "\",\"";
constexpr std::string_view kClosing = "\");\n";
constexpr std::size_t kMostNameSize = 64;
constexpr int kVariant = sodium_base64_VARIANT_ORIGINAL;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The standard alphabet, with at most two '=' at the end. Checked here:
// libsodium's decoder takes some bytes over 127 for letters.
bool IsBase64Text(std::string_view text) {
    const std::size_t padded = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    const auto isDigit = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '+' || c == '/';
    };
    return std::all_of(text.begin(), text.end() - static_cast<std::ptrdiff_t>(padded), isDigit);
}

}  // namespace

bool IsSealedScriptName(std::string_view name) {
    return !name.empty() && name.size() <= kMostNameSize &&
           std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::optional<std::string> SealedScript(std::string_view name, const std::uint8_t* bytes,
                                        std::size_t size) {
    if (!IsSealedScriptName(name)) return std::nullopt;
    // The encoded length counts libsodium's closing zero.
    std::string base64(sodium_base64_ENCODED_LEN(size, kVariant), '\0');
    if (size > 0) sodium_bin2base64(base64.data(), base64.size(), bytes, size, kVariant);
    base64.pop_back();
    std::string script;
    script.reserve(kOpening.size() + name.size() + kBetween.size() + base64.size() +
                   kClosing.size());
    script.append(kOpening).append(name).append(kBetween).append(base64).append(kClosing);
    return script;
}

Result ReadSealedScript(std::string_view script, std::string& name,
                        std::vector<std::uint8_t>& bytes) {
    name.clear();
    bytes = {};
    if (!script.starts_with(kOpening) || !script.ends_with(kClosing)) return Result::DataCorrupt;
    const std::string_view inner =
        script.substr(kOpening.size(), script.size() - kOpening.size() - kClosing.size());
    const std::size_t between = inner.find(kBetween);
    if (between == std::string_view::npos) return Result::DataCorrupt;
    const std::string_view nameText = inner.substr(0, between);
    const std::string_view base64 = inner.substr(between + kBetween.size());
    if (!IsSealedScriptName(nameText) || base64.size() % 4 != 0 || !IsBase64Text(base64)) {
        return Result::DataCorrupt;
    }
    if (base64.empty()) {  // libsodium takes no empty buffer
        name = nameText;
        return Result::Ok;
    }
    try {
        bytes.resize(base64.size() / 4 * 3);
    } catch (const std::bad_alloc&) {
        return Result::ReadFailed;
    }
    std::size_t length = 0;
    const char* end = nullptr;
    // No characters ignored, padding required, and libsodium refuses
    // leftover bits that are not zero: one text for one set of bytes.
    if (sodium_base642bin(bytes.data(), bytes.size(), base64.data(), base64.size(), nullptr,
                          &length, &end, kVariant) != 0 ||
        end != base64.data() + base64.size()) {
        bytes = {};
        return Result::DataCorrupt;
    }
    bytes.resize(length);
    name = nameText;
    return Result::Ok;
}

}  // namespace nemora::engine::strong
