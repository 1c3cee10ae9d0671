#pragma once

#include <cstdint>
#include <string>

#include "engine/ProgressSink.h"

namespace nemora::cli {

// Follows the engine's progress reports and, when enabled, draws a bar with
// the status text on one line of standard error. Never asks to stop.
class TerminalProgress : public engine::ProgressSink {
public:
    explicit TerminalProgress(bool enabled) : enabled_(enabled) {}
    ~TerminalProgress() override { Finish(); }

    bool Report(std::uint32_t units, std::uint32_t textId) override;

    // Ends the bar's line.
    void Finish();

private:
    void Draw();

    bool enabled_;
    bool drawn_ = false;
    std::string text_;
    std::uint64_t range_ = 0;
    std::uint64_t position_ = 0;
    int shownPercent_ = -1;
};

}  // namespace nemora::cli
