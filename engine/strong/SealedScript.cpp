#include "engine/strong/SealedScript.h"

#include <algorithm>
#include <array>
#include <new>
#include <sodium.h>

#include "engine/strong/SealedFileFormat.h"

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
// A table, for the megabytes of a site's scripts that the audit reads.
constexpr std::array<bool, 256> kBase64Digits = [] {
    std::array<bool, 256> digits{};
    for (const char c :
         std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"))
        digits[static_cast<unsigned char>(c)] = true;
    return digits;
}();

bool IsBase64Text(std::string_view text) {
    const std::size_t padded = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    bool all = true;
    // No early exit: a loop without one runs several bytes at a time.
    for (std::size_t i = 0; i < text.size() - padded; ++i)
        all &= kBase64Digits[static_cast<unsigned char>(text[i])];
    return all;
}

// Splits a script into its name and its base64, checked as ReadSealedScript
// checks them but for the base64's last bits; false for any other text.
bool Split(std::string_view script, std::string_view& name, std::string_view& base64) {
    if (!script.starts_with(kOpening) || !script.ends_with(kClosing)) return false;
    const std::string_view inner =
        script.substr(kOpening.size(), script.size() - kOpening.size() - kClosing.size());
    const std::size_t between = inner.find(kBetween);
    if (between == std::string_view::npos) return false;
    name = inner.substr(0, between);
    base64 = inner.substr(between + kBetween.size());
    return IsSealedScriptName(name) && base64.size() % 4 == 0 && IsBase64Text(base64);
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
    std::string_view nameText;
    std::string_view base64;
    if (!Split(script, nameText, base64)) return Result::DataCorrupt;
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

bool IsSealedFileScript(std::string_view script) {
    std::string_view name;
    std::string_view base64;
    // The magic and the version are 9 bytes: 12 characters, no padding.
    constexpr std::size_t kHeadText = (kSealedVersionAt + 1) / 3 * 4;
    if (!Split(script, name, base64) || base64.size() < kHeadText) return false;
    std::uint8_t head[kSealedVersionAt + 1];
    std::size_t length = 0;
    if (sodium_base642bin(head, sizeof head, base64.data(), kHeadText, nullptr, &length, nullptr,
                          kVariant) != 0 ||
        length != sizeof head) {
        return false;
    }
    return std::equal(std::begin(kSealedMagic), std::end(kSealedMagic), head) &&
           head[kSealedVersionAt] == kSealedVersion;
}

}  // namespace nemora::engine::strong
