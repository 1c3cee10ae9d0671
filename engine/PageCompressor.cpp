#include "engine/PageCompressor.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "engine/CompressorProgress.h"
#include "engine/MatchFinder.h"
#include "engine/ParallelCompressor.h"
#include "engine/ParseStep.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

constexpr std::uint32_t kRingSize = 0x8200;           // 130 pieces of 256 bytes
constexpr std::uint32_t kCopyBackThreshold = 0x8100;  // kWindow + one piece
constexpr std::uint32_t kCopyBackPiece = 256;

// Each stretch first enters the window behind it (32 KiB) and parses a few
// KiB into the next, so short stretches waste work; long ones leave a small
// page with too few to share and hold more memory. Measured on HTML and
// Shift_JIS pages of 1 and 10 MB with two threads.
constexpr std::uint32_t kSmallestChunk = 128 * 1024;
constexpr std::uint32_t kLargestChunk = 256 * 1024;

std::uint32_t ChunkFor(std::uint32_t length, unsigned threads) {
    return std::clamp(length / (4 * threads), kSmallestChunk, kLargestChunk);
}

static_assert(kRingSize % kCopyBackPiece == 0, "a piece never straddles the ring's end");
static_assert(kCopyBackThreshold == StreamFormat::kWindow + kCopyBackPiece,
              "copied-back output must stay a whole window behind the read position");

struct Workspace {
    MatchFinder finder;
    // Output not yet copied back, and room for a token that runs past the end.
    std::uint8_t ring[kRingSize + StreamFormat::kCopyTokenSize];
};

class CompressorRun {
public:
    CompressorRun(Workspace& work, std::uint8_t* data, std::uint32_t length)
        : work_(work), data_(data), length_(length) {
        work_.finder.Reset(data, length);
    }

    Result Compress(ProgressSink* sink, std::uint32_t& tokenLength) {
        CompressorProgress progress(sink);
        while (pos_ < length_) {
            // The token goes straight into the ring; a part that runs past
            // its end belongs at its start.
            const std::uint32_t at = produced_ % kRingSize;
            std::uint32_t size = 0;
            const std::uint32_t consumed =
                ParseStep(work_.finder, data_, pos_, work_.ring + at, size);
            if (consumed == 0) return Result::BrokenText;
            if (at + size > kRingSize) {
                std::memcpy(work_.ring, work_.ring + kRingSize, at + size - kRingSize);
            }
            produced_ += size;
            pos_ += consumed;

            if (!progress.Reached(pos_)) return Result::LoadStopped;
            if (produced_ - copied_ >= kCopyBackThreshold) CopyBack(kCopyBackPiece);
        }
        while (copied_ < produced_) CopyBack(std::min(kCopyBackPiece, produced_ - copied_));
        tokenLength = produced_;
        return Result::Ok;
    }

private:
    void CopyBack(std::uint32_t count) {
        std::memcpy(data_ + copied_, work_.ring + copied_ % kRingSize, count);
        copied_ += count;
    }

    Workspace& work_;
    std::uint8_t* data_;
    const std::uint32_t length_;
    std::uint32_t pos_ = 0;       // page bytes consumed
    std::uint32_t produced_ = 0;  // output bytes produced
    std::uint32_t copied_ = 0;    // output bytes copied back into data_
};

}  // namespace

Result PageCompressor::Run(std::uint8_t* data, std::uint32_t length, ProgressSink* sink,
                           std::uint32_t& tokenLength, const CompressorOptions& options) {
    tokenLength = 0;
    if (length == 0) return Result::CompressFailed;
    const unsigned threads =
        options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const std::uint32_t chunk = options.chunk != 0 ? options.chunk : ChunkFor(length, threads);
    if (threads > 1 && length / chunk >= 2) {
        return ParallelCompressor(data, length, threads, chunk, options.span)
            .Run(sink, tokenLength);
    }
    std::unique_ptr<Workspace> work(new (std::nothrow) Workspace);
    if (!work) return Result::CompressFailed;
    return CompressorRun(*work, data, length).Compress(sink, tokenLength);
}

}  // namespace nemora::engine
