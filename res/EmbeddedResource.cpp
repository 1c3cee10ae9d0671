#include "res/EmbeddedResource.h"

#include <cstddef>

namespace nemora::res {
namespace data {
extern const std::uint8_t kLoaderTemplate[];
extern const std::size_t kLoaderTemplateSize;
extern const std::uint8_t kDecoderTemplate[];
extern const std::size_t kDecoderTemplateSize;
extern const std::uint8_t kLoaderTemplateEnglish[];
extern const std::size_t kLoaderTemplateEnglishSize;
extern const std::uint8_t kDecoderTemplateEnglish[];
extern const std::size_t kDecoderTemplateEnglishSize;
extern const std::uint8_t kStrongPageTemplateEnglish[];
extern const std::size_t kStrongPageTemplateEnglishSize;
extern const std::uint8_t kDecoderArchive[];
extern const std::size_t kDecoderArchiveSize;
extern const std::uint8_t kStrongPageTemplate[];
extern const std::size_t kStrongPageTemplateSize;
extern const std::uint8_t kStrongScript[];
extern const std::size_t kStrongScriptSize;
}  // namespace data

std::optional<std::span<const std::uint8_t>> EmbeddedResource::Find(ResourceType type,
                                                                    std::uint32_t id) {
    if (type == ResourceType::Html && id == kLoaderTemplate) {
        return std::span(data::kLoaderTemplate, data::kLoaderTemplateSize);
    }
    if (type == ResourceType::Html && id == kDecoderTemplate) {
        return std::span(data::kDecoderTemplate, data::kDecoderTemplateSize);
    }
    if (type == ResourceType::Html && id == kLoaderTemplateEnglish) {
        return std::span(data::kLoaderTemplateEnglish, data::kLoaderTemplateEnglishSize);
    }
    if (type == ResourceType::Html && id == kDecoderTemplateEnglish) {
        return std::span(data::kDecoderTemplateEnglish, data::kDecoderTemplateEnglishSize);
    }
    if (type == ResourceType::Jar && id == kDecoderArchive) {
        return std::span(data::kDecoderArchive, data::kDecoderArchiveSize);
    }
    if (type == ResourceType::Html && id == kStrongPageTemplate) {
        return std::span(data::kStrongPageTemplate, data::kStrongPageTemplateSize);
    }
    if (type == ResourceType::Html && id == kStrongPageTemplateEnglish) {
        return std::span(data::kStrongPageTemplateEnglish, data::kStrongPageTemplateEnglishSize);
    }
    if (type == ResourceType::Script && id == kStrongScript) {
        return std::span(data::kStrongScript, data::kStrongScriptSize);
    }
    return std::nullopt;
}

}  // namespace nemora::res
