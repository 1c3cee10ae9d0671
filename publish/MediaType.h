#pragma once

#include <string>
#include <string_view>

namespace nemora::publish {

// The media type a sealed site's loader gives a file it opens, so that the
// browser applies a stylesheet, runs a script, shows an image or saves a
// download under its type: taken from the name's extension, in any case,
// by a short table of what sites hold; "application/octet-stream" for the
// rest.
class MediaType {
public:
    // `charset`: the file's encoding where the run knows it (a page's), for
    // a text type; empty: none said.
    static std::string Of(std::string_view path, std::string_view charset = {});
};

}  // namespace nemora::publish
