#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "res/StringTable.h"

namespace nemora::res {

// Which language the programs speak: a switch or NEMORA_LANG forces one;
// otherwise the locale decides as gettext would (LANGUAGE, then LC_ALL,
// LC_MESSAGES, LANG). A Japanese locale, or none at all (unset, "C",
// "POSIX"), gives Japanese, the program's own; any other gives English.
class LanguageChoice {
public:
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    // "ja", "en", or a locale name such as "ja_JP.UTF-8" or "en_GB"; nothing
    // for anything else.
    static std::optional<Language> Parse(std::string_view name);

    // The language for this process's environment (or `environment`, for
    // tests).
    static Language FromEnvironment();
    static Language FromEnvironment(const Environment& environment);

    // The short name of `language`: "ja" or "en".
    static const char* Name(Language language);
};

}  // namespace nemora::res
