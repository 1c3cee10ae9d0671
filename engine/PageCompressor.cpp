#include "engine/PageCompressor.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

constexpr std::uint32_t kRingSize = 0x8200;           // 130 pieces of 256 bytes
constexpr std::uint32_t kCopyBackThreshold = 0x8100;  // kWindow + one piece
constexpr std::uint32_t kCopyBackPiece = 256;
constexpr std::uint32_t kProgressStep = 1024;
constexpr std::uint32_t kUnitsPerStep = 4;
constexpr std::int64_t kNone = -1;

static_assert(kRingSize % kCopyBackPiece == 0, "a piece never straddles the ring's end");
static_assert(kCopyBackThreshold == format::kWindow + kCopyBackPiece,
              "copied-back output must stay a whole window behind the read position");

// Positions are kept as 64-bit values so that pages beyond 2 GiB index
// correctly; -1 marks "none".
struct Workspace {
    std::int64_t heads[256];              // latest position of each byte value
    std::int64_t chain[format::kWindow];  // previous position of the same value
    std::uint8_t ring[kRingSize];         // output not yet copied back
};

class CompressorRun {
public:
    CompressorRun(Workspace& work, std::uint8_t* data, std::uint32_t length)
        : work_(work), data_(data), length_(length) {
        std::fill(std::begin(work_.heads), std::end(work_.heads), kNone);
        std::fill(std::begin(work_.chain), std::end(work_.chain), kNone);
    }

    Result Compress(ProgressSink* sink, std::uint32_t& tokenLength) {
        while (pos_ < length_) {
            const std::uint8_t c = data_[pos_];
            if (c == 0) return Result::BrokenText;

            const std::uint32_t best = work_.heads[c] == kNone ? 1 : Search(c);
            Insert(best);
            if (best == 1) {
                Put(c);
            } else {
                Put(format::kCopyMarker);
                Put(static_cast<std::uint8_t>(bestDistance_));
                Put(static_cast<std::uint8_t>(bestDistance_ >> 8));
                Put(static_cast<std::uint8_t>(best));
            }
            pos_ += best;

            if (sink != nullptr && pos_ - lastReport_ >= kProgressStep) {
                const std::uint32_t units = (pos_ - lastReport_) / kProgressStep * kUnitsPerStep;
                lastReport_ = pos_;
                if (!sink->Report(units, 0)) return Result::LoadStopped;
            }
            if (produced_ - copied_ >= kCopyBackThreshold) CopyBack(kCopyBackPiece);
        }
        while (copied_ < produced_) CopyBack(std::min(kCopyBackPiece, produced_ - copied_));
        tokenLength = produced_;
        return Result::Ok;
    }

private:
    // Walks the chain of earlier positions of byte c from the nearest on and
    // returns the token length: the best match of 5 bytes or more, else 1.
    std::uint32_t Search(std::uint8_t c) {
        const std::int64_t lower =
            static_cast<std::int64_t>(pos_) - std::min<std::int64_t>(pos_, format::kWindow);
        std::uint32_t best = 1;
        for (std::int64_t cand = work_.heads[c]; cand >= lower;
             cand = work_.chain[static_cast<std::size_t>(cand) % format::kWindow]) {
            const auto distance = static_cast<std::uint32_t>(pos_ - cand);
            const std::uint32_t limit = std::min<std::uint32_t>(
                {distance, static_cast<std::uint32_t>(format::kLongestCopy), length_ - pos_});
            const std::uint8_t* earlier = data_ + static_cast<std::size_t>(cand);
            const std::uint8_t* here = data_ + pos_;
            std::uint32_t matched = 1;
            while (matched < limit && earlier[matched] == here[matched]) ++matched;
            if (matched > best) {
                best = matched;
                bestDistance_ = distance;
                if (best >= format::kLongestCopy) break;
            }
        }
        return best < format::kShortestCopy ? 1 : best;
    }

    // Enters the positions that the next token consumes, in ascending order.
    void Insert(std::uint32_t count) {
        for (std::uint32_t p = pos_; p < pos_ + count; ++p) {
            const std::uint8_t v = data_[p];
            work_.chain[p % format::kWindow] = work_.heads[v];
            work_.heads[v] = p;
        }
    }

    void Put(std::uint8_t byte) { work_.ring[produced_++ % kRingSize] = byte; }

    void CopyBack(std::uint32_t count) {
        std::memcpy(data_ + copied_, work_.ring + copied_ % kRingSize, count);
        copied_ += count;
    }

    Workspace& work_;
    std::uint8_t* data_;
    const std::uint32_t length_;
    std::uint32_t pos_ = 0;         // page bytes consumed
    std::uint32_t produced_ = 0;    // output bytes produced
    std::uint32_t copied_ = 0;      // output bytes copied back into data_
    std::uint32_t lastReport_ = 0;  // pos_ at the last progress report
    std::uint32_t bestDistance_ = 0;
};

}  // namespace

Result PageCompressor::Run(std::uint8_t* data, std::uint32_t length, ProgressSink* sink,
                           std::uint32_t& tokenLength) {
    tokenLength = 0;
    if (length == 0) return Result::CompressFailed;
    std::unique_ptr<Workspace> work(new (std::nothrow) Workspace);
    if (!work) return Result::CompressFailed;
    return CompressorRun(*work, data, length).Compress(sink, tokenLength);
}

}  // namespace nemora::engine
