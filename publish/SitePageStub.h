#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nemora::publish {

// What a sealed site's page carries in its own container: its site path,
// as a plain stream of literals, in place of its text. The text is stored
// once, in the page's sealed file (deflate, where the site's other files
// are), and the container still proves the key and names the page it
// stands for before the visitor's browser opens anything else.
class SitePageStub {
public:
    // The stream's encoding name: the path is UTF-8.
    static constexpr std::string_view kEncoding = "UTF-8";

    // The plain stream for `sitePath` (no zero byte, as no path has one).
    static std::vector<std::uint8_t> Stream(std::string_view sitePath);

    // The folder of the site that holds the page at `pagePath`, whose
    // opened container gave `sitePath` (ending in '/', "" for the current
    // folder); nothing when the page does not lie where its path says.
    static std::optional<std::string> TopOf(std::string_view pagePath, std::string_view sitePath);
};

}  // namespace nemora::publish
