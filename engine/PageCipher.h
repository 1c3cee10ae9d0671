#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/DesEngine.h"
#include "engine/Key.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

// Enciphers and deciphers buffers of whole 8-byte blocks in place, each block
// on its own (no chaining), with the page cipher keyed by one key.
class PageCipher {
public:
    // The cipher keeps its own copy of the key's schedule.
    explicit PageCipher(const Key& key) : des_(key, DesVariant::Page) {}

    void EncipherBlock(std::uint8_t* block) const { des_.Encipher(block); }
    void DecipherBlock(std::uint8_t* block) const { des_.Decipher(block); }

    // One pass over `size` bytes (a multiple of 8), blocks in ascending order.
    // After every 1,024 bytes it reports 4 units with no text. A stop answer is
    // recorded but the pass still processes the whole buffer (reporting on),
    // so the buffer is never left half done; the result is then
    // EncryptStopped, otherwise Ok.
    Result Encipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const;
    Result Decipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const;

private:
    Result Pass(std::uint8_t* data, std::size_t size, ProgressSink* sink, bool decipher) const;

    DesEngine des_;
};

}  // namespace nemora::engine
