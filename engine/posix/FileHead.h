#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/posix/FileStatus.h"

namespace nemora::engine::posix {

// The first bytes of a file, read through one descriptor whose type is
// checked first, without waiting on a pipe.
struct FileHead {
    int openError = 0;  // errno of an open that failed
    int error = 0;      // errno of a status or read that failed after the open
    FileStatus::Type type = FileStatus::Type::Other;
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes;  // of a regular file, up to the limit

    // Opens `path` and reads up to `limit` bytes when it is a regular file.
    static FileHead Read(const std::string& path, std::size_t limit);
};

}  // namespace nemora::engine::posix
