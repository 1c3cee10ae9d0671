#pragma once

#include <string>

#include "engine/FileLayer.h"
#include "engine/ResultCode.h"

namespace nemora::publish {

// Puts a file of the site that is no page at its mirror path, through the
// file layer: a hard link where asked and possible, a copy otherwise. Either
// replaces an earlier file whole, never leaves half of one.
class SiteCopier {
public:
    explicit SiteCopier(engine::FileLayer& files) : files_(files) {}

    // Ok; CannotOpen or ReadFailed for `source`; CannotCreate or a file error
    // (FileDiskFull...) for `target`. `link`: a hard link is tried first (it
    // links the file a symbolic link names, not the link: the mirror holds
    // files).
    engine::Result Place(const std::string& source, const std::string& target, bool link) const;

private:
    engine::Result Copy(const std::string& source, const std::string& target) const;

    engine::FileLayer& files_;
};

}  // namespace nemora::publish
