#include "publish/CookieKeepTicks.h"

namespace nemora::publish {

std::int32_t CookieKeepTicks::FromDays(double days) {
    return static_cast<std::int32_t>(days * static_cast<double>(kPerDay));
}

double CookieKeepTicks::ToDays(std::int32_t ticks) {
    return ticks / static_cast<double>(kPerDay);
}

}  // namespace nemora::publish
