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
// A link that leads outside the site is followed as a web server that
// follows links would follow it (or `cp -L`): what it reaches is part of the
// site and is named with the path it has there. A link that points nowhere,
// back into a folder being walked or into one that holds the site (a loop),
// or into the output folder is reported and skipped. Hidden names (starting
// with '.') are left out unless asked for.
class SiteWalker {
public:
    struct Rules {
        // Globs (fnmatch, matched against the file's name) that make a file a
        // page; empty: names ending in ".html" or ".htm", in any case.
        std::vector<std::string> pageGlobs;
        bool includeHidden = false;
        // False: a link that leads outside the site is reported and skipped.
        bool followOutsideLinks = true;
        // Where the site is mirrored to: never walked into, since that would
        // publish the output into itself. Empty: no such folder.
        std::string outputFolder;
    };

    struct File {
        std::string relative;  // from the site's top, '/'-separated
        std::string path;      // to open: the site's path joined with `relative`
        std::uint64_t size = 0;
        bool page = false;
        // Reached through a link that leads outside the site: the file's own
        // path with every link resolved. Empty for the site's own files.
        std::string outside;
    };

    enum class Problem {
        DanglingLink,  // skipped: the link points nowhere
        OutsideSite,   // skipped: the link leads outside the site (when not followed)
        LinkLoop,      // skipped: a folder being walked, or one that holds the site
        IntoOutput,    // skipped: the link leads into the output folder or holds it
        NotAFile,      // skipped: a device, a pipe or a socket
        Unreadable,    // a folder that cannot be listed, or a name that cannot be looked up
    };

    struct Callbacks {
        // A folder of the mirror, before the files in it (the top is ""):
        // false leaves out what the folder holds.
        std::function<bool(const std::string& relative)> folder;
        std::function<void(const File& file)> file;
        std::function<void(const std::string& relative, Problem problem)> problem;
    };

    // False when `site` is not a folder that can be read.
    static bool Walk(const std::string& site, const Rules& rules, const Callbacks& callbacks);

    // True when a file named `name` is a page under `rules`.
    static bool IsPage(const std::string& name, const Rules& rules);
};

}  // namespace nemora::publish
