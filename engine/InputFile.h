#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace nemora::engine {

// A page file open for reading. Destroying it closes it.
class InputFile {
public:
    virtual ~InputFile() = default;

    // The file's length in bytes; nullopt when the system cannot tell.
    virtual std::optional<std::uint64_t> Length() = 0;

    // Reads up to `size` bytes into `into`. Returns how many were read (fewer
    // only at the end of the file), or nullopt on an input error.
    virtual std::optional<std::size_t> Read(std::uint8_t* into, std::size_t size) = 0;
};

}  // namespace nemora::engine
