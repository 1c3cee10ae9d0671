#pragma once

#include <string_view>

#include "engine/ByteBlock.h"
#include "engine/Key.h"
#include "engine/OutputFile.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

// The block that names the page's character encoding: the name's bytes,
// zero-terminated and zero-padded to whole cipher blocks, or the first 256
// bytes of a longer name without a terminator. The storage of 256 bytes is
// kept for the block's lifetime; the count is the used length (0 until a name
// has been set, then 8 to 256).
class CharCodeBlock : public ByteBlock {
public:
    CharCodeBlock();

    // Sets the block from a name, taken byte for byte up to its first zero
    // byte, if any. This also turns an enciphered block back into a plain one.
    void SetName(std::string_view name);

    // Writes the used bytes, if any, enciphered under `key` when one is given
    // (the block itself stays plain); CannotCreate on a write error.
    Result Write(OutputFile& file, const Key* key) const;
};

}  // namespace nemora::engine
