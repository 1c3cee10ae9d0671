#include "engine/MatchFinder.h"

#include <algorithm>
#include <iterator>

#include "engine/ByteMatch.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

// The next 5 bytes as a key, and whether they are all one value.
std::uint64_t Key5(const std::uint8_t* p) {
    return Load32(p) | (std::uint64_t{p[4]} << 32);
}
bool Uniform(std::uint64_t key5, std::uint8_t first) {
    return key5 == std::uint64_t{first} * 0x0101010101ull;
}

// Walks are measured over spans of this many page bytes; more than
// kDeepCandidates candidates per byte on average switch the longer keys on.
constexpr std::uint32_t kSpan = 16 * 1024;
constexpr std::uint64_t kDeepCandidates = 4;

}  // namespace

void MatchFinder::Reset(const std::uint8_t* page, std::uint32_t length) {
    page_ = page;
    length_ = length;
    deep_ = false;
    visited_ = 0;
    spanStart_ = 0;
    std::fill_n(levels_[0].head, std::size_t{1} << kHashBits[0], 0u);
    runs_.Reset(page, length);
    // `previous` is only read through positions that were entered, which wrote it first.
}

// The entry after `entry` on its chain; 0 ends the walk.
std::uint32_t MatchFinder::Next(const Level& level, std::uint32_t entry) {
    return level.previous[(entry - 1) & kWindowMask];
}

std::uint32_t MatchFinder::Hash(int level, std::uint32_t pos) const {
    const std::uint8_t* p = page_ + pos;
    std::uint64_t key;
    switch (kKeyLength[level]) {
        case 5:
            key = Key5(p);
            break;
        case 9:
            key = Load64(p) ^ (std::uint64_t{p[8]} * kKeyHashPrime);
            break;
        default:  // 16
            key = Load64(p) ^ (Load64(p + 8) * kKeyHashPrime);
            break;
    }
    return static_cast<std::uint32_t>((key * kKeyHashPrime) >> (64 - kHashBits[level]));
}

void MatchFinder::InsertInto(int l, std::uint32_t from, std::uint32_t to) {
    // A position whose key would run past the page's end can never start a
    // match of that key's length: the match would end past the position
    // searched, which is at most the page's end.
    const std::uint32_t key = kKeyLength[l];
    const std::uint32_t end = std::min(to, length_ + 1 - std::min(length_ + 1, key));
    Level& level = levels_[l];
    if (l == 0) {
        for (std::uint32_t p = from; p < end; ++p) {
            const std::uint64_t key5 = Key5(page_ + p);
            const bool uniform = Uniform(key5, page_[p]);
            runs_.Enter(p, uniform);
            if (uniform) continue;
            std::uint32_t& head = level.head[static_cast<std::uint32_t>((key5 * kKeyHashPrime) >>
                                                                        (64 - kHashBits[0]))];
            level.previous[p & kWindowMask] = head;
            head = p + 1;
        }
        return;
    }
    // The longer keys' chains only ever serve searches whose next 5 bytes are
    // not all one value, which positions in runs cannot match.
    for (std::uint32_t p = from; p < end; ++p) {
        if (Uniform(Key5(page_ + p), page_[p])) continue;
        std::uint32_t& head = level.head[Hash(l, p)];
        level.previous[p & kWindowMask] = head;
        head = p + 1;
    }
}

void MatchFinder::Insert(std::uint32_t from, std::uint32_t to) {
    const int levels = deep_ ? kLevels : 1;
    for (int l = 0; l < levels; ++l) InsertInto(l, from, to);
}

// After each span, switches the longer keys on when the 5-byte chains have
// grown long. Their chains are filled from the whole window behind `pos`, in
// ascending order, so they hold every position a search can reach.
void MatchFinder::Account(std::uint32_t pos) {
    if (deep_ || pos - spanStart_ < kSpan) return;
    if (visited_ > kDeepCandidates * (pos - spanStart_)) Deepen(pos);
    visited_ = 0;
    spanStart_ = pos;
}

void MatchFinder::Deepen(std::uint32_t pos) {
    if (deep_) return;
    deep_ = true;
    const std::uint32_t lowest = pos - std::min<std::uint32_t>(pos, StreamFormat::kWindow);
    for (int l = 1; l < kLevels; ++l) {
        std::fill_n(levels_[l].head, std::size_t{1} << kHashBits[l], 0u);
        InsertInto(l, lowest, pos);
    }
}

// Walks one chain nearest first and returns the longest match of at least
// `atLeast` bytes (the nearest of equally long ones), or atLeast - 1 when
// there is none. Stops early at a match of `enough` bytes, which the caller
// knows cannot be beaten.
std::uint32_t MatchFinder::WalkChain(int l, std::uint32_t pos, std::uint32_t limit,
                                     std::uint32_t atLeast, std::uint32_t enough,
                                     std::uint32_t& distance) {
    const Level& level = levels_[l];
    const std::uint32_t lowest = pos - std::min<std::uint32_t>(pos, StreamFormat::kWindow);
    const std::uint8_t* here = page_ + pos;
    std::uint32_t best = atLeast - 1;
    std::uint64_t visited = 0;
    for (std::uint32_t entry = level.head[Hash(l, pos)]; entry > lowest;
         entry = Next(level, entry)) {
        ++visited;
        const std::uint32_t candidate = entry - 1;
        const std::uint32_t d = pos - candidate;
        // A copy never reaches the current position: the match is cut at d.
        const std::uint32_t cap = std::min(d, limit);
        if (cap <= best) continue;
        const std::uint8_t* there = page_ + candidate;
        // Only a match that agrees up to the byte after the best so far can
        // beat it; most candidates fail on these four bytes (best >= 4, and
        // best < cap keeps the read inside both strings).
        if (Load32(there + best - 3) != Load32(here + best - 3)) continue;
        const std::uint32_t length = MatchLength(there, here, 0, cap);
        if (length > best) {
            best = length;
            distance = d;
            if (best >= enough) break;
        }
    }
    visited_ += visited;
    return best;
}

std::uint32_t MatchFinder::Find(std::uint32_t pos, std::uint32_t& distance) {
    Account(pos);
    const std::uint32_t limit = std::min<std::uint32_t>(
        static_cast<std::uint32_t>(StreamFormat::kLongestCopy), length_ - pos);
    if (limit < StreamFormat::kShortestCopy) return 1;

    // No match can be longer than the limit, and only a candidate at least
    // that far back can reach it: when the one exactly that far back does,
    // it is the nearest of the longest. Runs and short periods end here.
    const std::uint8_t* here = page_ + pos;
    // The next search's chain head is most likely a cache miss: ask for it
    // now, while this search runs.
    if (limit > StreamFormat::kShortestCopy) __builtin_prefetch(&levels_[0].head[Hash(0, pos + 1)]);
    if (pos >= limit && here[-static_cast<std::ptrdiff_t>(limit)] == here[0] &&
        MatchLength(here - limit, here, 0, limit) == limit) {
        distance = limit;
        return limit;
    }

    if (Uniform(Key5(here), here[0])) {
        const std::uint32_t lowest = pos - std::min<std::uint32_t>(pos, StreamFormat::kWindow);
        return runs_.Find(pos, limit, lowest, distance);
    }

    if (!deep_) {
        const std::uint32_t best = WalkChain(0, pos, limit, kKeyLength[0], limit, distance);
        return best >= kKeyLength[0] ? best : 1;
    }

    // From the longest key down: the first level that finds a match of at
    // least its key length has the answer; each failing level caps the next.
    std::uint32_t enough = limit;
    for (int l = kLevels - 1; l >= 0; --l) {
        const std::uint32_t key = kKeyLength[l];
        if (key > limit) continue;
        const std::uint32_t best = WalkChain(l, pos, limit, key, enough, distance);
        if (best >= key) return best;
        enough = key - 1;
    }
    return 1;
}

}  // namespace nemora::engine
