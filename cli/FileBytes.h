#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nemora::cli {

// Whole-file reads and writes for the command line; nullopt / false on any
// error, with errno left as the failing call set it.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
// At most the first `count` bytes of a file.
std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path, std::size_t count);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace nemora::cli
