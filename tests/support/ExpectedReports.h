#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/RecordingSink.h"

namespace nemora::test {

// The reports that compressing `page` sends, derived from the reference
// compressor's tokens: after each token, once 1,024 or more bytes were
// consumed since the last report, 4 units per whole 1,024.
std::vector<Report> CompressReports(const std::vector<std::uint8_t>& page);

// n copies of one report.
std::vector<Report> Repeat(std::size_t n, Report report);

std::vector<Report> Concat(std::initializer_list<std::vector<Report>> parts);

}  // namespace nemora::test
