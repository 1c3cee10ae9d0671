#include "app/mainwindow/PathEllipsis.h"

namespace nemora::app {
namespace {

constexpr const char* kEllipsis = "...";

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where the last component starts, its separator included.
std::size_t TailStart(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    // A trailing separator belongs to the component before it.
    if (slash != std::string::npos && slash + 1 == path.size() && slash > 0) {
        slash = path.find_last_of('/', slash - 1);
    }
    return slash == std::string::npos ? 0 : slash;
}

}  // namespace

std::string PathEllipsis::Shorten(const std::string& path, int width, const Measure& measure) {
    if (measure(path) <= width) return path;
    const std::size_t tailStart = TailStart(path);
    // A bare name has no middle part to leave out.
    if (tailStart == 0) return path;
    const std::string tail = path.substr(tailStart);
    // Binary search would save measurements, but paths are short and the
    // widths of cut texts need not grow with their length (kerning).
    for (std::size_t cut = tailStart - 1; cut > 0; --cut) {
        if (IsContinuationByte(path[cut])) continue;
        std::string candidate = path.substr(0, cut) + kEllipsis + tail;
        if (measure(candidate) <= width) return candidate;
    }
    return kEllipsis + tail;
}

}  // namespace nemora::app
