#pragma once

#include <cstdint>

namespace nemora::engine {

// Receives the progress reports of long operations.
//
// A report with a non-zero textId and units above 0 starts a phase (status
// text, bar range 0..units, position 0); a non-zero textId with 0 units only
// changes the text; textId 0 advances the bar by units. The answer is true to
// go on and false to stop.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual bool Report(std::uint32_t units, std::uint32_t textId) = 0;
};

// Operations take the sink as a pointer: a missing sink receives nothing and
// never asks to stop.
inline bool ReportTo(ProgressSink* sink, std::uint32_t units, std::uint32_t textId) {
    return sink == nullptr || sink->Report(units, textId);
}

}  // namespace nemora::engine
