#pragma once

#include <cstddef>
#include <cstdint>

namespace nemora::res {

struct StringEntry {
    std::uint32_t id;
    const char* text;  // UTF-8
};

// The program's texts by string-table id (res/strings.txt).
class StringTable {
public:
    // The text of `id`, or an empty text when the table has none.
    static const char* Get(std::uint32_t id);
};

}  // namespace nemora::res
