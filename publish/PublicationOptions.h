#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/SecretString.h"
#include "engine/strong/StrongFormat.h"
#include "engine/strong/StrongKey.h"
#include "publish/CookieKeepTicks.h"
#include "res/StringTable.h"

namespace nemora::publish {

// What the author chose for a publication. Texts are UTF-8, as the window
// toolkit and the terminal hold them; the writer converts them to code page
// 932 where they leave the program. The defaults are a first start's.
struct PublicationOptions {
    engine::SecretString password;
    std::string prompt = res::StringTable::Get(engine::TextId::PromptText);
    bool cookieOn = true;
    std::string cookieKey = res::StringTable::Get(engine::TextId::CookieKeyText);
    std::int32_t cookieKeepTicks = CookieKeepTicks::kDefault;  // ticks, not days
    bool confirm = false;  // ask the visitor before the cookie is stored
    bool comment = true;   // keep the explanatory comments in the pages
    // The language of what the visitor reads (messages, buttons) and of the
    // pages' comments; the visitor may not read the author's language.
    res::Language pageLanguage = res::Language::Japanese;

    // The strong lock (docs/strong-format.md) in place of the default set:
    // one page under the page's own name and the shared script. The password
    // is taken as UTF-8, whatever code page 932 holds.
    bool strong = false;
    engine::strong::KdfParameters kdf;
    // A key derived once for a whole run (from `password`, with one salt for
    // every page); when empty, each publication derives its own.
    std::shared_ptr<const engine::strong::StrongKey> strongKey;
};

}  // namespace nemora::publish
