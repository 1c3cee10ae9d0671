#pragma once

#include <string>

namespace nemora::publish {

// Makes an output folder and any missing folders above it.
class FolderMaker {
public:
    // True when `path` is a folder afterwards. Walks back from the full path
    // to the first prefix that can be created, then creates each deeper level
    // in turn; false when a level cannot be made (a file of that name, no
    // permission), or `path` is empty.
    static bool EnsureFolder(const std::string& path);
};

}  // namespace nemora::publish
