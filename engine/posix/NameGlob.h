#pragma once

#include <string>

namespace nemora::engine::posix {

// A shell pattern ('*', '?', "[...]") matched against a file's name.
class NameGlob {
public:
    // True when `name` matches `glob` (fnmatch, no flags).
    static bool Matches(const std::string& glob, const std::string& name);
};

}  // namespace nemora::engine::posix
