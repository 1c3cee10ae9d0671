#pragma once

#include <array>
#include <cstdint>

namespace nemora::test {

using Block = std::array<std::uint8_t, 8>;

// DES computed bit by bit from the standard's tables, one array element per
// bit, for checking the table-driven engine. With `page` set it applies the
// page cipher's differences in their plain form: the block's 64 bits reversed
// end to end before and after, every key byte shifted left by one before
// PC-1, and the page's PC-2.
Block ReferenceDes(const Block& key, const Block& block, bool page, bool decipher);

}  // namespace nemora::test
