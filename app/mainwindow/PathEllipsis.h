#pragma once

#include <functional>
#include <string>

namespace nemora::app {

// Shortens a path to a width by putting "..." in place of a middle part, so
// that the last component always stays whole: "/home/ann/.../index.html".
class PathEllipsis {
public:
    // The width of a UTF-8 text in the field's font.
    using Measure = std::function<int(const std::string& text)>;

    // `path` unchanged when it fits; otherwise the longest start of the path
    // (cut between characters) followed by "..." and the last component that
    // fits, or "..." and the last component when even that does not fit.
    static std::string Shorten(const std::string& path, int width, const Measure& measure);
};

}  // namespace nemora::app
