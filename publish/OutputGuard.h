#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/ResultCode.h"

namespace nemora::publish {

// Keeps a publication from writing over what the author has: a file it
// writes must not be one of the pages it locks (the same file by any name:
// a link, a hard link, another spelling of the path), and no two pages may
// write the same file (index.html and library/index.html into one folder;
// a.html and a.htm, which share the data file a.zvk). Checked before
// anything is written.
class OutputGuard {
public:
    struct Clash {
        enum class Kind {
            ReplacesPage,  // `output` is the page `page`
            WrittenTwice,  // `output` would be written for `page` and for `other`
            NameTaken,     // two files of `page`, or one and a shared file, are `output`
        };
        Kind kind;
        std::string output;  // the file in the output folder
        std::string page;    // a page as the caller gave it
        std::string other;   // WrittenTwice: the other page
    };

    // The files a publication writes for the page file `pageFileName`: the
    // strong page, or the loader page and the data file.
    static std::vector<std::string> PageFiles(const std::string& pageFileName, bool strong);

    // The files that all the pages of a folder share.
    static std::vector<std::string> SharedFiles(bool strong);

    // The first clash of publishing `pages` into `folder` (which need not
    // exist yet), or nothing.
    static std::optional<Clash> Check(const std::vector<std::string>& pages,
                                      const std::string& folder, bool strong);

    // The result that refuses a clash: WouldReplacePage, or OutputNamesClash.
    static engine::Result Refusal(const Clash& clash);

    // A folder that refuses new files, and why (EACCES, EROFS...).
    struct Unwritable {
        std::string folder;
        int systemError = 0;
    };

    // When `folder` (or, while it is missing, the folder it would be made
    // in) refuses new files: that folder. A publication that asks first
    // tells the author where and why, instead of failing at its first file.
    static std::optional<Unwritable> UnwritableFolder(const std::string& folder);
};

}  // namespace nemora::publish
