#include "engine/ParseJob.h"

#include <algorithm>
#include <new>

#include "engine/ParseStep.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

// Cancellation is looked at about this often (page bytes).
constexpr std::uint32_t kCancelCheck = 16 * 1024;

}  // namespace

void ParseJob::Run(MatchFinder& finder, const std::uint8_t* page, std::uint32_t length, bool deep,
                   const std::atomic<bool>& cancel) {
    reached = start;
    size = 0;
    broken = false;
    failed = false;
    // A token never holds more bytes than the page bytes it stands for, and
    // the last one reaches at most a copy's length past `end`.
    const std::uint32_t needed =
        std::max(end, start) - start + static_cast<std::uint32_t>(StreamFormat::kLongestCopy);
    if (capacity < needed) {
        tokens.reset(new (std::nothrow) std::uint8_t[needed]);
        capacity = tokens ? needed : 0;
        if (!tokens) {
            failed = true;
            return;
        }
    }

    finder.Reset(page, length);
    finder.Insert(start - std::min<std::uint32_t>(start, StreamFormat::kWindow), start);
    if (deep) finder.Deepen(start);

    std::uint8_t* out = tokens.get();
    std::uint32_t pos = start;
    bool crossed = false;
    std::uint32_t nextCheck = start + kCancelCheck;
    while (pos < end) {
        if (!crossed && pos >= crossing) {
            crossed = true;
            crossPos = pos;
            crossOffset = static_cast<std::uint32_t>(out - tokens.get());
        }
        std::uint32_t tokenSize = 0;
        const std::uint32_t consumed = ParseStep(finder, page, pos, out, tokenSize);
        if (consumed == 0) {
            broken = true;
            break;
        }
        out += tokenSize;
        pos += consumed;
        if (pos >= nextCheck) {
            if (cancel.load(std::memory_order_relaxed)) {
                failed = true;
                return;
            }
            nextCheck = pos + kCancelCheck;
        }
    }
    reached = pos;
    size = static_cast<std::uint32_t>(out - tokens.get());
    if (!crossed) {
        crossPos = reached;
        crossOffset = size;
    }
}

}  // namespace nemora::engine
