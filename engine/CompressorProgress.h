#pragma once

#include <cstdint>

#include "engine/ProgressSink.h"

namespace nemora::engine {

// The compressor's progress, the same on one thread and on several: 4 units
// with no text for every whole 1,024 page bytes consumed since the last
// report, looked at after each token; the remainder is not carried over.
class CompressorProgress {
public:
    static constexpr std::uint32_t kStep = 1024;
    static constexpr std::uint32_t kUnitsPerStep = 4;

    explicit CompressorProgress(ProgressSink* sink = nullptr) : sink_(sink) {}

    bool Reports() const { return sink_ != nullptr; }

    // After a token that ends at page position `pos`; false when the sink
    // answers stop.
    bool Reached(std::uint32_t pos) {
        if (sink_ == nullptr || pos - last_ < kStep) return true;
        const std::uint32_t units = (pos - last_) / kStep * kUnitsPerStep;
        last_ = pos;
        return sink_->Report(units, 0);
    }

private:
    ProgressSink* sink_;
    std::uint32_t last_ = 0;  // pos at the last report
};

}  // namespace nemora::engine
