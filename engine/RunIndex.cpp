#include "engine/RunIndex.h"

#include <algorithm>
#include <iterator>

#include "engine/ByteMatch.h"

namespace nemora::engine {
namespace {}  // namespace

void RunIndex::Reset(const std::uint8_t* page, std::uint32_t length) {
    page_ = page;
    length_ = length;
    open_ = false;
    count_ = 0;
    std::fill(std::begin(lastByValue_), std::end(lastByValue_), 0u);
    for (auto& heads : lastByTail_) std::fill(std::begin(heads), std::end(heads), 0u);
}

std::uint32_t RunIndex::TailKey(int tier, std::uint8_t value, const std::uint8_t* tail) const {
    std::uint64_t key;
    switch (kTail[tier]) {
        case 1:
            key = tail[0];
            break;
        case 4:
            key = Load32(tail);
            break;
        default:  // 12
            key = Load64(tail) ^ (std::uint64_t{Load32(tail + 8)} * kKeyHashPrime);
            break;
    }
    key = (key << 8) ^ value ^ (std::uint64_t{kTail[tier]} << 60);
    return static_cast<std::uint32_t>((key * kKeyHashPrime) >> (64 - kKeyBits));
}

// The run's end is always inside the page: a position is entered only when
// its 5 bytes are, and the one that closes a run lies 4 before the end.
void RunIndex::Close(std::uint32_t end) {
    const std::uint8_t value = page_[openStart_];
    Run& run = runs_[count_ % kRing];
    run.start = openStart_;
    run.end = end;
    run.byValue = lastByValue_[value];
    const std::uint32_t link = count_ + 1;
    for (int t = 0; t < kTails; ++t) {
        // A tail that would run past the page's end can never be matched whole.
        if (end + kTail[t] > length_) {
            run.byTail[t] = 0;
            continue;
        }
        std::uint32_t& head = lastByTail_[t][TailKey(t, value, page_ + end)];
        run.byTail[t] = head;
        head = link;
    }
    lastByValue_[value] = link;
    ++count_;
}

// A link whose run was since overwritten in the ring is older than any
// window, and ends the walk like one that is out of the window.
const RunIndex::Run* RunIndex::Get(std::uint32_t link) const {
    if (link == 0 || count_ - (link - 1) > kRing) return nullptr;
    return &runs_[(link - 1) % kRing];
}

// Walks the runs whose tail has the key of the bytes after our run, nearest
// first, measuring E - r of those at least r long; stops once the best
// reaches `enough`, which nothing later can beat.
template <typename Consider>
void RunIndex::WalkTail(int tier, std::uint32_t pos, std::uint32_t r, std::uint32_t lowest,
                        std::uint32_t enough, const std::uint32_t& best,
                        Consider&& consider) const {
    const std::uint8_t value = page_[pos];
    const std::uint8_t* tail = page_ + pos + r;
    for (const Run* run = Get(lastByTail_[tier][TailKey(tier, value, tail)]);
         run != nullptr && run->end >= lowest + 5; run = Get(run->byTail[tier])) {
        if (run->end - std::max(run->start, lowest) < r || page_[run->start] != value) continue;
        consider(run->end - r);
        if (best >= enough) return;
    }
}

std::uint32_t RunIndex::Find(std::uint32_t pos, std::uint32_t limit, std::uint32_t lowest,
                             std::uint32_t& distance) const {
    const std::uint8_t* here = page_ + pos;
    const std::uint8_t value = here[0];
    const std::uint32_t r = RunLength(here, limit);
    std::uint32_t best = 4;
    std::uint32_t bestAt = 0;
    // Measures the candidate at x; keeps the longer, or the nearer of equals.
    auto consider = [&](std::uint32_t x) {
        const std::uint32_t cap = std::min(pos - x, limit);
        if (cap < best || (cap == best && x <= bestAt)) return;
        const std::uint32_t length = MatchLength(page_ + x, here, 0, cap);
        if (length > best || (length == best && x > bestAt)) {
            best = length;
            bestAt = x;
        }
    };

    // The run that reaches `pos` itself: the nearest of its positions at
    // least r back (a copy stops at its distance). It gives at most r.
    if (open_ && openStart_ < pos) {
        consider(std::max({openStart_, lowest, pos - std::min(pos, r)}));
    }
    // Runs that match past their end, from the longest tail down.
    std::uint32_t enough = limit;
    for (int t = kTails - 1; t >= 0; --t) {
        if (r + kTail[t] > limit) continue;
        WalkTail(t, pos, r, lowest, enough, best, consider);
        if (best >= r + kTail[t]) break;
        enough = r + kTail[t] - 1;
    }
    // The nearest run at least r long gives r, and nothing farther beats it
    // but by matching past its end; shorter ones give their own length.
    if (best <= r) {
        for (const Run* run = Get(lastByValue_[value]); run != nullptr && run->end >= lowest + 5;
             run = Get(run->byValue)) {
            const std::uint32_t first = std::max(run->start, lowest);
            const std::uint32_t length = run->end - first;
            if (length >= r) {
                consider(run->end - r);
                break;
            }
            // A shorter run matches exactly its own length from its first
            // position (the byte after it is not ours; the copy's distance
            // and the limit are both longer); nearer ones came first.
            if (length > best) {
                best = length;
                bestAt = first;
            }
        }
    }
    if (best < 5) return 1;
    distance = pos - bestAt;
    return best;
}

}  // namespace nemora::engine
