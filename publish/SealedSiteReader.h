#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/StreamReader.h"
#include "engine/strong/SealedKeys.h"

namespace nemora::publish {

// Finds what it takes to open a sealed file of a published sealed site (see
// SiteSealer) outside a browser: the site's folder, a page whose container
// carries the run's salt and key check, and the site path the file was
// sealed for, which its sealed name hides and the manifest gives back.
class SealedSiteReader {
public:
    // The folder that holds the nemora-sealed folder the script at
    // `scriptPath` lies in; empty when it lies in none.
    static std::string TopOf(const std::string& scriptPath);

    // The container of a strong page published into `top` (outside its
    // nemora-sealed folder); nothing when there is none.
    static std::optional<std::vector<std::uint8_t>> KeyContainer(const std::string& top);

    // The site path whose sealed name under `keys` is `name`: the manifest's
    // own for "manifest", else one the site's manifest lists; nothing when
    // the manifest cannot be opened with `keys` or lists no such path.
    static std::optional<std::string> PathOf(const engine::strong::SealedKeys& keys,
                                             const std::string& top, std::string_view name);

    // The text of a sealed site's page at `pagePath`, whose container opened
    // to `stub` (SitePageStub: the page's site path) under the run's `keys`:
    // read from the page's sealed file. Nothing when `stub` is no such path
    // of this page, or when the sealed file is missing or does not open
    // (then `failure` says why: CannotOpen, DataCorrupt, DataTruncated).
    static std::optional<std::vector<std::uint8_t>> OpenPage(const std::string& pagePath,
                                                             const engine::UnlockedPage& stub,
                                                             const engine::strong::SealedKeys& keys,
                                                             engine::Result& failure);
};

}  // namespace nemora::publish
