#include "res/LanguageChoice.h"

#include <algorithm>
#include <cstdlib>

namespace nemora::res {
namespace {

std::optional<std::string> Variable(const LanguageChoice::Environment& environment,
                                    const char* name) {
    std::optional<std::string> value = environment(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

// No locale at all: the programs keep their own language.
bool IsPlainLocale(std::string_view locale) {
    return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

}  // namespace

std::optional<Language> LanguageChoice::Parse(std::string_view name) {
    // The language part of a locale name: before "_", "." or "@".
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    if (language == "ja" || language == "japanese") return Language::Japanese;
    if (language == "en" || language == "english") return Language::English;
    return std::nullopt;
}

Language LanguageChoice::FromEnvironment() {
    return FromEnvironment([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    });
}

Language LanguageChoice::FromEnvironment(const Environment& environment) {
    if (const auto forced = Variable(environment, "NEMORA_LANG")) {
        if (const auto language = Parse(*forced)) return *language;
    }
    std::optional<std::string> locale = Variable(environment, "LC_ALL");
    if (!locale) locale = Variable(environment, "LC_MESSAGES");
    if (!locale) locale = Variable(environment, "LANG");
    if (!locale || IsPlainLocale(*locale)) return Language::Japanese;
    // LANGUAGE lists the user's languages by preference; like gettext, it
    // counts only once a locale is set. The first one we speak wins.
    if (const auto list = Variable(environment, "LANGUAGE")) {
        std::string_view rest = *list;
        while (!rest.empty()) {
            const std::string_view item = rest.substr(0, rest.find(':'));
            if (const auto language = Parse(item)) return *language;
            rest.remove_prefix(std::min(rest.size(), item.size() + 1));
        }
    }
    return Parse(*locale).value_or(Language::English);
}

const char* LanguageChoice::Name(Language language) {
    return language == Language::English ? "en" : "ja";
}

}  // namespace nemora::res
