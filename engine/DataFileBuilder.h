#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/Key.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

struct BuiltDataFile {
    Result result = Result::Ok;
    std::vector<std::uint8_t> data;  // the whole stream; empty unless result is Ok
};

// Locks a page held in memory: header, character-code block and compressed
// body in file order, enciphered under `key`, or left plain when `key` is null.
// The result codes are those of the compressor (the cipher passes run
// without a sink here, so they cannot stop).
BuiltDataFile BuildDataFile(const std::uint8_t* page, std::size_t length,
                            std::string_view encodingName, const Key* key,
                            ProgressSink* sink = nullptr);

}  // namespace nemora::engine
