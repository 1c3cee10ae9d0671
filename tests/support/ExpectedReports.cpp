#include "tests/support/ExpectedReports.h"

#include "tests/support/ReferenceCompressor.h"
#include "tests/support/Tokens.h"

namespace nemora::test {

std::vector<Report> CompressReports(const std::vector<std::uint8_t>& page) {
    std::vector<Report> reports;
    std::size_t pos = 0;
    std::size_t last = 0;
    for (const Token& t : SplitTokens(ReferenceCompress(page), page.size())) {
        pos += t.length;
        if (pos - last >= 1024) {
            reports.push_back({static_cast<std::uint32_t>((pos - last) / 1024 * 4), 0});
            last = pos;
        }
    }
    return reports;
}

std::vector<Report> Repeat(std::size_t n, Report report) {
    return std::vector<Report>(n, report);
}

std::vector<Report> Concat(std::initializer_list<std::vector<Report>> parts) {
    std::vector<Report> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace nemora::test
