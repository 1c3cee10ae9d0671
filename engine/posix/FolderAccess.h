#pragma once

#include <string>

namespace nemora::engine::posix {

// Whether this process may make files in a folder, asked of the system
// before anything is written.
class FolderAccess {
public:
    // 0 when the effective user may add files to `folder`, else the
    // system's error number (EACCES, EROFS...).
    static int ForNewFiles(const std::string& folder);
};

}  // namespace nemora::engine::posix
