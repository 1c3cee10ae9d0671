#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace nemora::res {

enum class ResourceType { Html, Jar, Script };

// Resource numbers of the published set's sources. The pages come in
// Japanese and in English; the English ones are made from the Japanese at
// build time by the translation files beside their sources (*.en.txt).
constexpr std::uint32_t kLoaderTemplate = 157;          // HTML, code page 932, CR LF
constexpr std::uint32_t kDecoderTemplate = 158;         // HTML, code page 932, CR LF
constexpr std::uint32_t kLoaderTemplateEnglish = 162;   // the same in English
constexpr std::uint32_t kDecoderTemplateEnglish = 163;  // the same in English
constexpr std::uint32_t kDecoderArchive = 151;          // "decoder.jar"
// The strong lock's sources, UTF-8 and byte for byte. The one script serves
// the pages of either language.
constexpr std::uint32_t kStrongPageTemplate = 160;         // HTML
constexpr std::uint32_t kStrongPageTemplateEnglish = 164;  // the same in English
constexpr std::uint32_t kStrongScript = 161;               // "nemora-strong.js"

// The bytes the executable carries for a resource, or nothing when it has
// no such resource.
class EmbeddedResource {
public:
    static std::optional<std::span<const std::uint8_t>> Find(ResourceType type, std::uint32_t id);
};

}  // namespace nemora::res
