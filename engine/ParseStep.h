#pragma once

#include <cstdint>

#include "engine/MatchFinder.h"
#include "engine/TokenCodec.h"

namespace nemora::engine {

// One step of the compressor's greedy parse, the same on one thread
// (PageCompressor) and in a stretch of several (ParseJob): the token at
// `pos`, written to `out` (room for a copy token), its page bytes entered
// into `finder`. Returns the page bytes it stands for, or 0 at a zero byte,
// where no token may start; `size` is the token's size. In the header so
// that both hot loops inline it.
inline std::uint32_t ParseStep(MatchFinder& finder, const std::uint8_t* page, std::uint32_t pos,
                               std::uint8_t* out, std::uint32_t& size) {
    const std::uint8_t c = page[pos];
    if (c == 0) return 0;
    std::uint32_t distance = 0;
    const std::uint32_t best = finder.Find(pos, distance);
    finder.Insert(pos, pos + best);
    size = TokenCodec::Encode(out, c, best, distance);
    return best;
}

}  // namespace nemora::engine
