#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/SecretString.h"
#include "engine/strong/StrongFormat.h"
#include "publish/CookieKeepTicks.h"
#include "res/StringTable.h"

namespace nemora::publish {

// What the author chose for a publication. Texts are UTF-8, as the window
// toolkit and the terminal hold them; the writer converts them to code page
// 932 where they leave the program. The defaults are a first start's.
struct PublicationOptions {
    engine::SecretString password;
    // Nothing: the default prompt in the page language. An empty one shows
    // "Password" (TextId::FallbackPrompt).
    std::optional<std::string> prompt;
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

    // The prompt the visitor reads above the password field.
    std::string Prompt() const { return prompt ? *prompt : DefaultPrompt(pageLanguage); }

    // The prompt of a publication whose author gave none, in `language`.
    static std::string DefaultPrompt(res::Language language) {
        return res::StringTable::Get(engine::TextId::PromptText, language);
    }
};

}  // namespace nemora::publish
