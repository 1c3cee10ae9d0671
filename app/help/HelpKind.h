#pragma once

#include <cstdint>
#include <functional>

namespace nemora::app {

// How a help request shows its topic; the values are the help viewer's
// commands that the context numbers were made for.
enum class HelpKind : std::uint32_t {
    Topic = 1,  // the help window, opened at the topic
    Popup = 8,  // the topic's short text in a small window by the pointer
};

// The application's help operation, as the windows reach it.
using ShowHelpFunction = std::function<void(std::uint32_t context, HelpKind kind)>;

}  // namespace nemora::app
