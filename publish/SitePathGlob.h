#pragma once

#include <string_view>

namespace nemora::publish {

// A glob matched against a file's site path (relative to the site's top,
// '/'-separated): '*' stands for any run of characters within one folder's
// name, '**' for any run across folders ("**/" also for none, so
// "**/robots.txt" names the top's too), '?' for one character other than
// '/', "[...]" for one of a set ("[!...]" or "[^...]": none of it), and '\'
// takes the next character as it is. The whole path must match.
class SitePathGlob {
public:
    static bool Matches(std::string_view glob, std::string_view path);
};

}  // namespace nemora::publish
