#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nemora::test {

std::vector<std::uint8_t> Bytes(std::string_view text);

// Deterministic pages for tests and benchmarks; the same arguments always
// give the same bytes, so a failing case can be named by them.
std::vector<std::uint8_t> RandomText(std::size_t length, std::string_view alphabet,
                                     std::uint32_t start);
std::vector<std::uint8_t> RandomBytes(std::size_t length, std::uint32_t start);  // 1..255
std::vector<std::uint8_t> Runs(std::size_t length, std::uint32_t start);         // runs of 1..300

// An HTML page of about `length` bytes (Shift_JIS-like Japanese text between
// ASCII markup), close to what authors lock.
std::vector<std::uint8_t> HtmlPage(std::size_t length, std::uint32_t start);

}  // namespace nemora::test
