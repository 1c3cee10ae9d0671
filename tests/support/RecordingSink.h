#pragma once

#include <cstdint>
#include <vector>

#include "engine/ProgressSink.h"

namespace nemora::test {

struct Report {
    std::uint32_t units;
    std::uint32_t textId;

    bool operator==(const Report&) const = default;
};

// Records every report. Like the progress dialog, once it has answered stop
// (at the stopAt-th report, 1-based; 0 = never) it answers stop to every
// later report too.
class RecordingSink : public engine::ProgressSink {
public:
    explicit RecordingSink(std::size_t stopAt = 0) : stopAt_(stopAt) {}

    bool Report(std::uint32_t units, std::uint32_t textId) override {
        reports.push_back({units, textId});
        return stopAt_ == 0 || reports.size() < stopAt_;
    }

    std::uint64_t TotalUnits() const {
        std::uint64_t total = 0;
        for (const auto& r : reports) total += r.units;
        return total;
    }

    std::vector<test::Report> reports;

private:
    std::size_t stopAt_;
};

}  // namespace nemora::test
