#include "res/StringTable.h"

#include <algorithm>

namespace nemora::res {
namespace data {
extern const StringEntry kStrings[];
extern const std::size_t kStringCount;
}  // namespace data

const char* StringTable::Get(std::uint32_t id) {
    const StringEntry* begin = data::kStrings;
    const StringEntry* end = data::kStrings + data::kStringCount;
    const StringEntry* found = std::lower_bound(
        begin, end, id, [](const StringEntry& e, std::uint32_t v) { return e.id < v; });
    return found != end && found->id == id ? found->text : "";
}

}  // namespace nemora::res
