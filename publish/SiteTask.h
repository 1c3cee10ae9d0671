#pragma once

#include <cstdint>
#include <string>

namespace nemora::publish {

// One piece of a site run's work, as the walk hands it to the workers.
struct SiteTask {
    enum class Kind { Page, Copy, SharedFiles } kind = Kind::Page;
    std::uint64_t order = 0;  // in the walk, so failures are listed as met
    std::string relative;
    std::string path;
    std::uint64_t size = 0;
    bool outside = false;  // reached through a link that leads outside the site
};

}  // namespace nemora::publish
