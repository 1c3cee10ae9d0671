#pragma once

#include <cstdint>
#include <string>

namespace nemora::publish {

// One piece of a site run's work, as the walk hands it to the workers.
struct SiteTask {
    // Seal: a file of a sealed site that is no page, sealed and not copied;
    // Copy: one copied as it is (every such file of a classic site, the
    // --public ones of a sealed site, pages among them).
    enum class Kind { Page, Copy, Seal, SharedFiles } kind = Kind::Page;
    std::uint64_t order = 0;  // in the walk, so failures are listed as met
    std::string relative;
    std::string path;
    std::uint64_t size = 0;
    bool outside = false;  // reached through a link that leads outside the site
    bool page = false;     // a page of the site, locked or not
};

}  // namespace nemora::publish
