#include "res/LanguageChoice.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace nemora::res {
namespace {

std::optional<std::string> Variable(const LanguageChoice::Environment& environment,
                                    const char* name) {
    std::optional<std::string> value = environment(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

std::optional<std::string> LocaleName(const LanguageChoice::Environment& environment) {
    std::optional<std::string> locale = Variable(environment, "LC_ALL");
    if (!locale) locale = Variable(environment, "LC_MESSAGES");
    if (!locale) locale = Variable(environment, "LANG");
    return locale;
}

std::optional<std::string> ProcessVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// No locale at all, for the window: it keeps its own language.
bool IsPlainLocale(std::string_view locale) {
    return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

// The entries of LANGUAGE, a list separated by colons, in order.
std::vector<std::string_view> LanguageList(std::string_view list) {
    std::vector<std::string_view> items;
    while (!list.empty()) {
        const std::string_view item = list.substr(0, list.find(':'));
        if (!item.empty()) items.push_back(item);
        list.remove_prefix(std::min(list.size(), item.size() + 1));
    }
    return items;
}

// NEMORA_LANG, when it names a language we speak.
std::optional<Language> Forced(const LanguageChoice::Environment& environment) {
    const std::optional<std::string> forced = Variable(environment, "NEMORA_LANG");
    return forced ? LanguageChoice::Parse(*forced) : std::nullopt;
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
    return FromEnvironment(ProcessVariable);
}

Language LanguageChoice::FromEnvironment(const Environment& environment) {
    if (const auto forced = Forced(environment)) return *forced;
    const std::optional<std::string> locale = LocaleName(environment);
    if (!locale || IsPlainLocale(*locale)) return Language::Japanese;
    // LANGUAGE lists the user's languages by preference; like gettext, it
    // counts only once a locale is set. The first one we speak wins.
    if (const auto list = Variable(environment, "LANGUAGE")) {
        for (const std::string_view item : LanguageList(*list)) {
            if (const auto language = Parse(item)) return *language;
        }
    }
    return Parse(*locale).value_or(Language::English);
}

Language LanguageChoice::ForCommandLine() {
    return ForCommandLine(ProcessVariable);
}

Language LanguageChoice::ForCommandLine(const Environment& environment) {
    if (const auto forced = Forced(environment)) return *forced;
    // Only the C locale itself silences LANGUAGE in gettext: "C.UTF-8" is a
    // locale of its own and does not.
    const std::optional<std::string> locale = LocaleName(environment);
    if (!locale || *locale == "C" || *locale == "POSIX") return Language::English;
    if (const auto list = Variable(environment, "LANGUAGE")) {
        for (const std::string_view item : LanguageList(*list)) {
            // gettext stops at a "C" entry and gives the untranslated text.
            if (item == "C" || item == "POSIX") return Language::English;
            if (const auto language = Parse(item)) return *language;
        }
        // No catalogue for any entry: gettext's untranslated text, and the
        // locale is not consulted.
        return Language::English;
    }
    return Parse(*locale).value_or(Language::English);
}

const char* LanguageChoice::Name(Language language) {
    return language == Language::English ? "en" : "ja";
}

}  // namespace nemora::res
