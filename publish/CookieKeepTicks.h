#pragma once

#include <cstdint>

namespace nemora::publish {

// A cookie lifetime as the settings store it and the save reads it: a count
// of ticks, ten-thousandths of a day (never days). 0 keeps the cookie until
// the browser closes; any negative count keeps it for ever.
struct CookieKeepTicks {
    static constexpr std::int32_t kPerDay = 10000;
    static constexpr std::int32_t kSession = 0;
    static constexpr std::int32_t kUnlimited = -1;
    static constexpr std::int32_t kDefault = 7 * kPerDay;

    // The days a user may type; outside them the lifetime is the session's
    // (shorter) or unlimited (longer).
    static constexpr double kShortestDays = 0.0001;
    static constexpr double kLongestDays = 36500;

    // Days from kShortestDays to kLongestDays as ticks: the fraction of a
    // tick is cut off, never rounded (0.00019 days is 1 tick).
    static std::int32_t FromDays(double days);
    static double ToDays(std::int32_t ticks);
};

}  // namespace nemora::publish
