#pragma once

#include <cstdint>

namespace nemora::publish {

struct PublicationOptions;

// What the visitor's browser may remember of the key, as both forms write
// it: for how long and whether the visitor is asked first.
struct RememberRule {
    bool on = false;
    // Ticks (CookieKeepTicks): 0 until the browser closes (and whenever
    // nothing is remembered), negative for ever.
    std::int32_t keepTicks = 0;
    // Asked only when the key outlives the browser's session.
    bool ask = false;

    // Days for the strong page: -1 for ever, 0 until the browser closes.
    double Days() const;

    static RememberRule From(const PublicationOptions& options);
};

}  // namespace nemora::publish
