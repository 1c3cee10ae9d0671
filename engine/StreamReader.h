#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Key.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

struct UnlockedPage {
    // Ok, WrongPassword, DataTruncated or DataCorrupt.
    Result status = Result::DataCorrupt;
    std::string encodingName;        // as stored, up to the first zero byte (at most 256 bytes)
    std::vector<std::uint8_t> page;  // the page's bytes; empty unless status is Ok
};

// Gets a page back from a data file (or from a plain stream): the header
// names the page length N, the character-code block the encoding, and the
// body's tokens rebuild exactly N bytes.
//
// The reader accepts only what the compressor can write: copy distances of 1
// to 32,768 within the output so far, lengths of 5 to 128 and never above the
// distance, no token beyond the page's end, spaces after the last token up to
// the end of its block, and nothing after that block. It never reads or writes
// outside its buffers, whatever the input, and allocates at most 32 times the
// input's size for the page (a copy token of 4 bytes yields at most 128).
class StreamReader {
public:
    explicit StreamReader(const Key& key) : key_(key) {}

    UnlockedPage Read(const std::uint8_t* data, std::size_t size) const;

    // The same for a stream that was never enciphered.
    static UnlockedPage ReadPlain(const std::uint8_t* data, std::size_t size);

private:
    Key key_;
};

}  // namespace nemora::engine
