#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace nemora::res {

enum class ResourceType { Html, Jar, Script };

// Resource numbers of the published set's sources.
constexpr std::uint32_t kLoaderTemplate = 157;   // HTML, code page 932, CR LF
constexpr std::uint32_t kDecoderTemplate = 158;  // HTML, code page 932, CR LF
constexpr std::uint32_t kDecoderArchive = 151;   // "decoder.jar"
// The strong lock's sources, UTF-8 and byte for byte.
constexpr std::uint32_t kStrongPageTemplate = 160;  // HTML
constexpr std::uint32_t kStrongScript = 161;        // "nemora-strong.js"

// The bytes the executable carries for a resource, or nothing when it has
// no such resource.
class EmbeddedResource {
public:
    static std::optional<std::span<const std::uint8_t>> Find(ResourceType type, std::uint32_t id);
};

}  // namespace nemora::res
