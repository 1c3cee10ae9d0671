#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nemora::publish {

// The bytes of the file at `path`, read in one piece, its size known;
// nothing when it cannot be opened or read, or is larger than `limit`.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path,
                                                       std::uint64_t limit);

}  // namespace nemora::publish
