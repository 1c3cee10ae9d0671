#pragma once

#include <cstdint>
#include <vector>

namespace nemora::test {

// The compressor's token choices written as plainly as possible: output to a
// separate buffer, no ring, no copy-back, positions searched by walking every
// earlier position of the same byte value. Returns the padded body, or an empty
// vector for a page with a zero byte.
std::vector<std::uint8_t> ReferenceCompress(const std::vector<std::uint8_t>& page);

}  // namespace nemora::test
