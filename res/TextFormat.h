#pragma once

#include <span>
#include <string>
#include <string_view>

namespace nemora::res {

// A string-table text with its markers filled: each %1 to %9 becomes
// arguments[n - 1], in one pass, so an argument holding a percent sign or a
// marker is taken as it stands. A marker with no argument, %0, %% and a lone
// % stay as written; %10 is %1 followed by 0 (no text has ten values).
std::string FormatText(std::string_view text, std::span<const std::string_view> arguments);

}  // namespace nemora::res
