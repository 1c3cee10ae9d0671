#pragma once

#include <cstdint>
#include <string>

#include "engine/SecretString.h"
#include "publish/CookieKeepTicks.h"
#include "publish/PublicationDefaults.h"
#include "res/StringTable.h"

namespace nemora::publish {

// What the author chose for a publication. Texts are UTF-8, as the window
// toolkit and the terminal hold them; the writer converts them to code page
// 932 where they leave the program. The defaults are a first start's.
struct PublicationOptions {
    engine::SecretString password;
    std::string prompt = res::StringTable::Get(defaults::kPromptText);
    bool cookieOn = true;
    std::string cookieKey = res::StringTable::Get(defaults::kCookieKeyText);
    std::int32_t cookieKeepTicks = CookieKeepTicks::kDefault;  // ticks, not days
    bool confirm = false;  // ask the visitor before the cookie is stored
    bool comment = true;   // keep the explanatory comments in the pages
};

}  // namespace nemora::publish
