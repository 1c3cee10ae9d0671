#pragma once

#include <cstdint>

#include "app/help/HelpKind.h"

class QWidget;

namespace nemora::app {

// What shows help topics by context number.
class HelpDisplay {
public:
    virtual ~HelpDisplay() = default;

    // Shows topic `context` as `kind`, for `owner` (the main window, or
    // none); false when the help cannot be shown.
    virtual bool Show(std::uint32_t context, HelpKind kind, QWidget* owner) = 0;

    // Closes everything it shows.
    virtual void Close() = 0;
};

}  // namespace nemora::app
