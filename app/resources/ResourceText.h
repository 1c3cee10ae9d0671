#pragma once

#include <cstdint>

#include <QString>

namespace nemora::app {

// The string-table text `id` (res/strings.txt); empty when the table has none.
QString ResourceText(std::uint32_t id);

}  // namespace nemora::app
