#include "engine/posix/NameGlob.h"

#include <fnmatch.h>

namespace nemora::engine::posix {

bool NameGlob::Matches(const std::string& glob, const std::string& name) {
    return ::fnmatch(glob.c_str(), name.c_str(), 0) == 0;
}

}  // namespace nemora::engine::posix
