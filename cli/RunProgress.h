#pragma once

#include <chrono>
#include <cstdint>

#include "publish/SitePublisher.h"

namespace nemora::cli {

// One bar for a whole site run on standard error: pages and bytes done, the
// rate and the time left, redrawn from the run's counters while it goes on.
// Draws nothing when disabled (standard error is no terminal).
class RunProgress {
public:
    RunProgress(bool enabled, publish::SitePublisher::Totals totals)
        : enabled_(enabled), totals_(totals), start_(std::chrono::steady_clock::now()) {}

    void Draw(const publish::SitePublisher::Progress& progress);
    // Clears the bar's line.
    void Finish();

    double Seconds() const;

private:
    bool enabled_;
    bool drawn_ = false;
    publish::SitePublisher::Totals totals_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace nemora::cli
