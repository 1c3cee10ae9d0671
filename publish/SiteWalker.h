#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nemora::publish {

// Walks a site's folder tree in a fixed order (names sorted byte-wise within
// each folder), following symbolic links, and names each file it finds. It
// holds one folder's listing per level and nothing else, so a walk costs the
// same memory for ten pages or a million.
//
// A link that points nowhere, outside the site, or back into a folder being
// walked (a loop) is reported and skipped. Hidden names (starting with '.')
// are left out unless asked for.
class SiteWalker {
public:
    struct Rules {
        // Globs (fnmatch, matched against the file's name) that make a file a
        // page; empty: names ending in ".html" or ".htm", in any case.
        std::vector<std::string> pageGlobs;
        bool includeHidden = false;
    };

    struct File {
        std::string relative;  // from the site's top, '/'-separated
        std::string path;      // to open: the site's path joined with `relative`
        std::uint64_t size = 0;
        bool page = false;
    };

    enum class Problem { DanglingLink, OutsideSite, LinkLoop, Unreadable };

    struct Callbacks {
        // A folder of the mirror, before the files in it (the top is "").
        std::function<void(const std::string& relative)> folder;
        std::function<void(const File& file)> file;
        std::function<void(const std::string& relative, Problem problem)> problem;
    };

    // False when `site` is not a folder that can be read.
    static bool Walk(const std::string& site, const Rules& rules, const Callbacks& callbacks);

    // True when a file named `name` is a page under `rules`.
    static bool IsPage(const std::string& name, const Rules& rules);
};

}  // namespace nemora::publish
