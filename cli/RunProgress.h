#pragma once

#include <chrono>
#include <cstdint>

#include "publish/SitePublisher.h"

namespace nemora::cli {

// One bar for a whole site run on standard error: pages and bytes done, the
// rate and the time left, redrawn from the run's counters while it goes on.
// Draws nothing when disabled (standard error is no terminal), nor before the
// run's walk has found every file (the totals).
class RunProgress {
public:
    explicit RunProgress(bool enabled)
        : enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

    void Draw(const publish::SitePublisher::Progress& progress);
    // Clears the bar's line.
    void Finish();

    double Seconds() const;

private:
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace nemora::cli
