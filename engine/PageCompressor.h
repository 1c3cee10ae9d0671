#pragma once

#include <cstdint>

#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

// How the compressor may share its work out; the tokens never depend on it.
struct CompressorOptions {
    unsigned threads = 0;           // 0: one per processor
    std::uint32_t chunk = 0;        // page bytes per stretch parsed on its own; 0: by size
    std::uint32_t span = 4 * 1024;  // how far a stretch runs on into the next, to join them
};

// The page compressor: a greedy dictionary coder whose choices are fixed, so
// that the same page always gives the same body.
//
// At each position it takes the longest match among earlier positions of the
// same byte value at most 32,768 bytes back (the nearest of equally long
// ones, at most 128 bytes, never reaching the current position nor the page's
// end). A match of 5 bytes or more becomes a copy token (0x00, distance as
// 16-bit little-endian, length as one byte), anything shorter a literal.
//
// The output is written over the input already consumed: output never
// overtakes input, and it is staged in a ring so that the copied-back part of
// the buffer stays at least 32,768 bytes behind the read position, out of
// reach of every later search.
class PageCompressor {
public:
    // Compresses the `length` bytes at `data` in place. On success the first
    // `tokenLength` bytes of `data` hold the token stream (tokenLength <=
    // length; the caller pads it). Reports 4 units with no text for every
    // 1,024 bytes consumed, at most once per token.
    //
    // Results: Ok; CompressFailed for an empty page or when the working
    // storage cannot be had; BrokenText at a zero byte; LoadStopped when the
    // sink answers stop. After BrokenText or LoadStopped the bytes at `data`
    // are partly overwritten.
    //
    // A page of two chunks or more is parsed on several threads (see
    // ParallelCompressor); the reports still come from the calling thread.
    Result Run(std::uint8_t* data, std::uint32_t length, ProgressSink* sink,
               std::uint32_t& tokenLength, const CompressorOptions& options = {});
};

}  // namespace nemora::engine
