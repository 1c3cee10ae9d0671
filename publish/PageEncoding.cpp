#include "publish/PageEncoding.h"

#include "publish/EncodingLabels.h"
#include "publish/EncodingSniffer.h"
#include "publish/PublicationDefaults.h"

namespace nemora::publish {

PageEncoding::Named PageEncoding::Of(std::span<const std::uint8_t> page,
                                     const std::optional<std::string>& given, bool strong) {
    if (given) return {engine::Result::Ok, *given, {}};
    const std::optional<std::string_view> own = EncodingSniffer::Sniff(page);
    if (!own) return {engine::Result::Ok, kDefaultEncodeType, {}};
    if (const std::optional<std::string_view> name = EncodingLabels::ForForm(*own, strong)) {
        return {engine::Result::Ok, std::string(*name), std::string(*own)};
    }
    const bool anyForm = EncodingLabels::ForForm(*own, true).has_value();
    return {anyForm ? engine::Result::EncodingNotClassic : engine::Result::EncodingUnreadable,
            {},
            std::string(*own)};
}

std::optional<std::string> PageEncoding::ForWindow(std::span<const std::uint8_t> page) {
    const std::optional<std::string_view> own = EncodingSniffer::Sniff(page);
    if (!own) return std::nullopt;
    if (const std::optional<std::string_view> classic = EncodingLabels::ClassicName(*own)) {
        return std::string(*classic);
    }
    const std::optional<std::string_view> strong = EncodingLabels::ForForm(*own, true);
    return strong ? std::optional<std::string>(*strong) : std::nullopt;
}

}  // namespace nemora::publish
