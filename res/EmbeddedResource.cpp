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

namespace {

struct Entry {
    ResourceType type;
    std::uint32_t id;
    const std::uint8_t* bytes;
    const std::size_t& size;  // defined in another generated file
};

const Entry kEntries[] = {
    {ResourceType::Html, kLoaderTemplate, data::kLoaderTemplate, data::kLoaderTemplateSize},
    {ResourceType::Html, kDecoderTemplate, data::kDecoderTemplate, data::kDecoderTemplateSize},
    {ResourceType::Html, kLoaderTemplateEnglish, data::kLoaderTemplateEnglish,
     data::kLoaderTemplateEnglishSize},
    {ResourceType::Html, kDecoderTemplateEnglish, data::kDecoderTemplateEnglish,
     data::kDecoderTemplateEnglishSize},
    {ResourceType::Jar, kDecoderArchive, data::kDecoderArchive, data::kDecoderArchiveSize},
    {ResourceType::Html, kStrongPageTemplate, data::kStrongPageTemplate,
     data::kStrongPageTemplateSize},
    {ResourceType::Html, kStrongPageTemplateEnglish, data::kStrongPageTemplateEnglish,
     data::kStrongPageTemplateEnglishSize},
    {ResourceType::Script, kStrongScript, data::kStrongScript, data::kStrongScriptSize},
};

}  // namespace

std::optional<std::span<const std::uint8_t>> EmbeddedResource::Find(ResourceType type,
                                                                    std::uint32_t id) {
    for (const Entry& entry : kEntries) {
        if (entry.type == type && entry.id == id) return std::span(entry.bytes, entry.size);
    }
    return std::nullopt;
}

}  // namespace nemora::res
