#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace nemora::cli {

// unlock given a file that the lock publishes beside the data: a loader
// page, decoder.htm or nemora-strong.js, none of which any password opens;
// or a strong page whose sealed page cannot be read out. Reports it (naming
// the data file that a loader page reads, beside it) and returns true;
// false for any other file.
bool RefuseNonDataFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace nemora::cli
