#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nemora::test {

// One row of tests/fixtures/malformed-streams.txt, the table of malformed
// plain streams that every reader's tests share (the file says what each
// field holds).
struct MalformedStream {
    std::string name;
    std::vector<std::uint8_t> stream;  // plain, already cut to its kept bytes
    int classic = 0;
    std::string engine;  // a ResultName
    std::string strong;
};

// The table's rows; an empty list when the file cannot be read.
std::vector<MalformedStream> MalformedStreams();

}  // namespace nemora::test
