#include "publish/RememberRule.h"

#include "publish/CookieKeepTicks.h"
#include "publish/PublicationOptions.h"

namespace nemora::publish {

double RememberRule::Days() const {
    return keepTicks < 0 ? -1.0 : CookieKeepTicks::ToDays(keepTicks);
}

RememberRule RememberRule::From(const PublicationOptions& options) {
    RememberRule rule;
    if (!options.cookieOn) return rule;
    rule.on = true;
    rule.keepTicks =
        options.cookieKeepTicks < 0 ? CookieKeepTicks::kUnlimited : options.cookieKeepTicks;
    rule.ask = rule.keepTicks != CookieKeepTicks::kSession && options.confirm;
    return rule;
}

}  // namespace nemora::publish
