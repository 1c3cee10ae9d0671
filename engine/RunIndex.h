#pragma once

#include <cstdint>

namespace nemora::engine {

// The runs of one byte value behind the match finder's insertion point, for
// the searches that start inside a run.
//
// A position whose next 5 bytes are all one value b sits in a run of b, and
// only positions in runs of b can match it for 5 bytes or more. Hash chains
// hold every such position of every run, so on pages of long runs a search
// walked thousands of them (a megabyte of runs with two odd bytes between
// them took seconds). Yet within one run the longest, nearest candidate is
// always one of two positions, given the length r of the run being searched
// from: E - r, E being the run's end (it matches the whole r bytes and maybe
// more past them), or the run's first position in the window (when the run
// is shorter than r). So the finder leaves run positions out of its chains
// and this index keeps each run once:
//  - by byte value, nearest first: the nearest run at least r long gives r,
//    and no run farther away can beat it but by matching past its end;
//  - by byte value and the 1, 4 or 12 bytes after the run: the only runs
//    that can match past their end. As with the finder's key lengths, the
//    longest of these that finds a match past its own length has the answer,
//    and each one that does not caps the next.
// Every candidate is still measured byte by byte, so the index only chooses
// which positions to measure; the tests hold it against a plain walk.
class RunIndex {
public:
    void Reset(const std::uint8_t* page, std::uint32_t length);

    // Called for every entered position in ascending order: `uniform` when
    // its next 5 bytes are one value.
    void Enter(std::uint32_t pos, bool uniform) {
        if (uniform) {
            if (!open_) {
                open_ = true;
                openStart_ = pos;
            }
        } else if (open_) {
            open_ = false;
            Close(pos + 4);  // the last uniform position was pos - 1
        }
    }

    // The longest match at `pos`, whose next 5 bytes are one value, among
    // the positions from `lowest` on: its length (1 when below 5), and the
    // distance of the nearest one that long. All positions before `pos`
    // must have been entered, and no position from `pos` on.
    std::uint32_t Find(std::uint32_t pos, std::uint32_t limit, std::uint32_t lowest,
                       std::uint32_t& distance) const;

private:
    static constexpr std::uint32_t kRing = 8192;  // above the most runs a window holds (32768 / 6)
    static constexpr int kKeyBits = 12;
    static constexpr int kTails = 3;
    static constexpr std::uint32_t kTail[kTails] = {1, 4, 12};  // ascending

    // Links are a run's sequence number + 1; 0 means none.
    struct Run {
        std::uint32_t start;
        std::uint32_t end;             // the first position past the run
        std::uint32_t byValue;         // the one before with the same byte value
        std::uint32_t byTail[kTails];  // the one before with the same value and tail
    };

    std::uint32_t TailKey(int tier, std::uint8_t value, const std::uint8_t* tail) const;
    void Close(std::uint32_t end);
    const Run* Get(std::uint32_t link) const;
    template <typename Consider>
    void WalkTail(int tier, std::uint32_t pos, std::uint32_t r, std::uint32_t lowest,
                  std::uint32_t enough, const std::uint32_t& best, Consider&& consider) const;

    const std::uint8_t* page_ = nullptr;
    std::uint32_t length_ = 0;
    bool open_ = false;  // the last entered position is in a run
    std::uint32_t openStart_ = 0;
    std::uint32_t count_ = 0;  // runs closed so far
    std::uint32_t lastByValue_[256];
    std::uint32_t lastByTail_[kTails][1u << kKeyBits];
    Run runs_[kRing];
};

}  // namespace nemora::engine
