#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "res/StringTable.h"

namespace nemora::res {

// Which language the programs speak: a switch or NEMORA_LANG forces one;
// otherwise the locale decides. The window and the command line read it
// differently where no locale asks for a language, since each keeps the
// language its users meet there by default.
class LanguageChoice {
public:
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    // "ja", "en", or a locale name such as "ja_JP.UTF-8" or "en_GB"; nothing
    // for anything else.
    static std::optional<Language> Parse(std::string_view name);

    // The window's language for this process's environment (or
    // `environment`, for tests): LANGUAGE, then LC_ALL, LC_MESSAGES, LANG. A
    // Japanese locale, or none at all (unset, "C", "POSIX", "C.UTF-8"),
    // gives Japanese, the window's own; any other gives English.
    static Language FromEnvironment();
    static Language FromEnvironment(const Environment& environment);

    // The command line's language, read as gettext reads it for a program
    // whose untranslated texts are English: the locale is the first of
    // LC_ALL, LC_MESSAGES and LANG that is set; unset, "C" or "POSIX" gives
    // English and LANGUAGE is not consulted. Any other locale ("C.UTF-8"
    // too) lets LANGUAGE list the languages by preference: the first entry
    // we speak wins, a "C" entry or a list without one we speak gives
    // English. Without LANGUAGE, a Japanese locale gives Japanese and any
    // other English. A locale counts by its name, whether or not it is
    // installed.
    static Language ForCommandLine();
    static Language ForCommandLine(const Environment& environment);

    // The short name of `language`: "ja" or "en".
    static const char* Name(Language language);
};

}  // namespace nemora::res
