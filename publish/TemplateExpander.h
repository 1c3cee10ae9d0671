#pragma once

#include <cstdint>
#include <span>

#include "engine/OutputFile.h"
#include "publish/TemplateValues.h"

namespace nemora::publish {

// Copies a page template to a file byte for byte while acting on two-byte
// markers: "$0" ... "$1" enclose comment blocks, kept (without the markers)
// or left out; "%0" to "%5" insert the values where value markers are active
// (the loader template only); "$$" and "%%" give
// one "$" or "%"; any other "$" or "%" is an ordinary byte. Each literal run
// and each value is written with one write as soon as the marker after it is
// met: the expanded page is never held in memory.
class TemplateExpander {
public:
    enum class Comments { Keep, Drop };
    enum class ValueMarkers { Active, Inactive };

    // False when a write fails; the expansion stops there.
    static bool Expand(std::span<const std::uint8_t> templ, const TemplateValues& values,
                       Comments comments, ValueMarkers markers, engine::OutputFile& out);
};

}  // namespace nemora::publish
