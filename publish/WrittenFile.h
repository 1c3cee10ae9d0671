#pragma once

#include <cstdint>
#include <string>

namespace nemora::publish {

// A file a publication wrote, with its size in bytes as written.
struct WrittenFile {
    std::string path;
    std::uint64_t size = 0;

    bool operator==(const WrittenFile&) const = default;
};

}  // namespace nemora::publish
