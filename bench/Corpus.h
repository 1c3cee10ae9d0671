#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nemora::bench {

struct Corpus {
    std::string name;
    std::vector<std::uint8_t> page;
};

// The HTML files below `folder` (recursively, in path order) concatenated and
// cut to `size` bytes, the sequence repeated if it is shorter; files holding a
// zero byte are left out. Empty when the folder has no HTML.
std::vector<std::uint8_t> HtmlFrom(const std::string& folder, std::size_t size);

// Each HTML file below `folder` as a page of its own, in path order; files
// holding a zero byte are left out.
std::vector<std::vector<std::uint8_t>> HtmlPagesFrom(const std::string& folder);

// The same for UTF-8 files matched by `suffix`, converted to Shift_JIS (code
// page 932), characters it lacks dropped.
std::vector<std::uint8_t> ShiftJisFrom(const std::string& folder, const std::string& suffix,
                                       std::size_t size);

// Generated pages meant to make a match search slow; see the names.
std::vector<Corpus> AdversarialPages(std::size_t size);

}  // namespace nemora::bench
