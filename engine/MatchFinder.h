#pragma once

#include <cstdint>

#include "engine/RunIndex.h"

namespace nemora::engine {

// Finds the compressor's token at a position: among the earlier positions at
// most 32,768 bytes back, the one whose match is longest, where a match is
// cut at its distance (a copy never reaches the current position), at 128
// bytes and at the page's end; the nearest of equally long ones. A best match
// of 4 bytes or fewer makes a literal.
//
// Walking every earlier position of the same byte value, as the choice is
// defined, costs thousands of comparisons per token on ordinary text. The
// finder gets the same answer from hash chains keyed on the next K bytes, for
// a few key lengths K (5 first: a copy needs 5 matching bytes):
//  - A position can only give a match of K bytes or more if it shares the
//    next K bytes, so it sits on the chain of that K-byte key. If the walk of
//    that chain finds a match of K or more, every position that could tie or
//    beat it is on the same chain, and the walk, nearest first, keeps the
//    nearest of the longest: the answer is exact.
//  - If it finds none, the answer is shorter than K. The walk of the next
//    shorter key's chain may then stop as soon as it meets a match of K - 1.
// The answer therefore never depends on the key lengths, only the work does;
// the tests hold the finder against a plain walk of every position.
//
// Positions inside a run of one byte value (their next 5 bytes all equal)
// stay out of the chains: a search from such a position asks the RunIndex,
// and no other search can match them for 5 bytes.
//
// Most pages (HTML, text) have short chains, and there entering every
// position into three chains would cost more than it saves. So the longer
// keys are kept only once the walks of the 5-byte chain grow long (random
// text over a few letters, long runs with small variations): then their
// chains are filled from the window that is already behind and kept from
// there on. Which chains exist changes only the work, never the answer.
class MatchFinder {
public:
    static constexpr int kLevels = 3;
    static constexpr std::uint32_t kKeyLength[kLevels] = {5, 9, 16};  // ascending

    // Starts over on a page of `length` bytes. The bytes from 32,768 before
    // the current position to the page's end must stay unchanged while the
    // finder runs.
    void Reset(const std::uint8_t* page, std::uint32_t length);

    // The token at `pos`: returns its length (1 for a literal) and, for a
    // copy, sets `distance`. All positions before `pos` must have been entered.
    std::uint32_t Find(std::uint32_t pos, std::uint32_t& distance);

    // Enters the positions [from, to) so that later searches see them.
    void Insert(std::uint32_t from, std::uint32_t to);

    // Whether the longer keys' chains are kept; Deepen keeps them from `pos`
    // on (all positions before it must have been entered). A parse that
    // starts in the middle of a page whose earlier parts needed them saves
    // the slow span before they would be switched on.
    bool Deep() const { return deep_; }
    void Deepen(std::uint32_t pos);

private:
    // 32,768 heads per level: as fast as twice as many on every page the
    // bench measures, and a finder's memory is the part of a lock's peak
    // that does not grow with the page.
    static constexpr int kHashBits[kLevels] = {15, 15, 15};
    static constexpr std::uint32_t kWindowMask = 0x7FFF;

    // Chains hold position + 1, so that 0 means "none".
    struct Level {
        std::uint32_t head[1u << 15];
        std::uint32_t previous[kWindowMask + 1];
    };

    static std::uint32_t Next(const Level& level, std::uint32_t entry);
    std::uint32_t Hash(int level, std::uint32_t pos) const;
    void InsertInto(int level, std::uint32_t from, std::uint32_t to);
    std::uint32_t WalkChain(int level, std::uint32_t pos, std::uint32_t limit,
                            std::uint32_t atLeast, std::uint32_t enough, std::uint32_t& distance);
    void Account(std::uint32_t pos);

    Level levels_[kLevels];
    RunIndex runs_;
    const std::uint8_t* page_ = nullptr;
    std::uint32_t length_ = 0;
    bool deep_ = false;          // the longer keys' chains are kept
    std::uint64_t visited_ = 0;  // candidates looked at since spanStart_
    std::uint32_t spanStart_ = 0;
};

}  // namespace nemora::engine
