#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nemora::cli {

// What reading a whole file gave.
struct FileBytes {
    enum class Outcome {
        Ok,
        CannotOpen,  // missing, or not allowed
        NotAFile,    // a folder, a device, a pipe: never read
        TooLarge,    // longer than the caller's limit: not read
        ReadFailed,  // an input error while reading
    };
    Outcome outcome = Outcome::Ok;
    std::vector<std::uint8_t> bytes;
};

// Reads a whole regular file of at most `limit` bytes. Folders, devices and
// pipes are refused without a read, so that neither a folder's error nor an
// endless device (/dev/zero) nor a pipe with no writer can stop the program.
FileBytes ReadFileBytes(const std::string& path, std::uint64_t limit);

// Writes a whole file; false on any error.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace nemora::cli
