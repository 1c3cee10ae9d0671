#include "publish/SitePageStub.h"

#include <algorithm>

#include "engine/StreamFormat.h"

namespace nemora::publish {

using engine::StreamFormat;

std::vector<std::uint8_t> SitePageStub::Stream(std::string_view sitePath) {
    const std::size_t nameBlock = StreamFormat::CharCodeBlockLength(kEncoding.size());
    std::vector<std::uint8_t> stream(
        StreamFormat::kHeaderSize + nameBlock + StreamFormat::PaddedLength(sitePath.size()),
        StreamFormat::kPadding);
    StreamFormat::WriteHeader(stream.data(), static_cast<std::uint32_t>(sitePath.size()));
    std::uint8_t* const name = stream.data() + StreamFormat::kHeaderSize;
    std::fill(name, name + nameBlock, 0);
    std::copy(kEncoding.begin(), kEncoding.end(), name);
    std::copy(sitePath.begin(), sitePath.end(), name + nameBlock);
    return stream;
}

std::optional<std::string> SitePageStub::TopOf(std::string_view pagePath,
                                               std::string_view sitePath) {
    if (sitePath.empty() || pagePath.size() < sitePath.size() || !pagePath.ends_with(sitePath)) {
        return std::nullopt;
    }
    const std::string_view top = pagePath.substr(0, pagePath.size() - sitePath.size());
    if (!top.empty() && !top.ends_with('/')) return std::nullopt;
    return std::string(top);
}

}  // namespace nemora::publish
