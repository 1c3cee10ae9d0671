#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/MatchFinder.h"

namespace nemora::engine {

// One stretch of the compressor's greedy parse, written to a buffer of its
// own instead of in place, so that several stretches can be parsed at once.
//
// The token at a position depends only on the page's bytes, never on how the
// parse got there; a stretch that starts where the true parse has no token
// boundary (a guess) therefore still agrees with the true parse from the
// first position where both have a token start. The stretch runs on past
// `crossing` (the next stretch's start) up to `end`, so that the two can be
// joined there.
struct ParseJob {
    // Set before Run.
    std::uint32_t start = 0;     // position of the first token
    std::uint32_t crossing = 0;  // the next stretch's start
    std::uint32_t end = 0;       // no token starts at or past this

    // Set by Run.
    std::uint32_t reached = 0;      // the position after the last token
    std::uint32_t crossPos = 0;     // the first token start at or past crossing,
    std::uint32_t crossOffset = 0;  // and its offset in tokens; reached and size when none
    std::uint32_t size = 0;         // token bytes written
    bool broken = false;            // stopped at a zero byte, at `reached`
    bool failed = false;            // the buffer could not be had, or the run was cancelled

    std::unique_ptr<std::uint8_t[]> tokens;
    std::uint32_t capacity = 0;

    // Parses [start, end) of the page with `finder`, which it resets and fills
    // with the window behind `start`, with the longer keys from the start
    // when `deep`. Gives up (failed) when `cancel` is set.
    void Run(MatchFinder& finder, const std::uint8_t* page, std::uint32_t length, bool deep,
             const std::atomic<bool>& cancel);
};

}  // namespace nemora::engine
