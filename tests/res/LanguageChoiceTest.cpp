#include <map>
#include <string>

#include <gtest/gtest.h>

#include "res/LanguageChoice.h"

namespace nemora::res {
namespace {

struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    Language expected;
};

const Case kCases[] = {
    {"nothing set keeps Japanese", {}, Language::Japanese},
    {"C locale keeps Japanese", {{"LANG", "C.UTF-8"}}, Language::Japanese},
    {"POSIX locale keeps Japanese", {{"LC_ALL", "POSIX"}}, Language::Japanese},
    {"Japanese locale", {{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
    {"English locale", {{"LANG", "en_US.UTF-8"}}, Language::English},
    {"any other locale is English", {{"LANG", "de_DE.UTF-8"}}, Language::English},
    {"LC_MESSAGES beats LANG",
     {{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB"}},
     Language::English},
    {"LC_ALL beats LC_MESSAGES",
     {{"LC_ALL", "ja_JP"}, {"LC_MESSAGES", "en_GB"}},
     Language::Japanese},
    {"an empty LC_ALL is unset", {{"LC_ALL", ""}, {"LANG", "en_US"}}, Language::English},
    {"LANGUAGE's first known entry",
     {{"LANG", "de_DE"}, {"LANGUAGE", "fr:ja:en"}},
     Language::Japanese},
    {"LANGUAGE without a known entry",
     {{"LANG", "ja_JP"}, {"LANGUAGE", "fr:de"}},
     Language::Japanese},
    {"LANGUAGE ignored under the C locale",
     {{"LANG", "C"}, {"LANGUAGE", "en"}},
     Language::Japanese},
    {"NEMORA_LANG forces English",
     {{"LANG", "ja_JP.UTF-8"}, {"NEMORA_LANG", "en"}},
     Language::English},
    {"NEMORA_LANG forces Japanese",
     {{"LC_ALL", "en_US"}, {"NEMORA_LANG", "ja"}},
     Language::Japanese},
    {"an unknown NEMORA_LANG is ignored",
     {{"LANG", "en_US"}, {"NEMORA_LANG", "xx"}},
     Language::English},
};

// The command line's rows: where a locale is installed, these are the
// answers of glibc's gettext for a program whose untranslated texts are
// English and that has a Japanese and a German catalogue.
const Case kCommandLineCases[] = {
    {"nothing set is English", {}, Language::English},
    {"C.UTF-8 is English", {{"LANG", "C.UTF-8"}}, Language::English},
    {"C is English", {{"LANG", "C"}}, Language::English},
    {"POSIX is English", {{"LC_ALL", "POSIX"}}, Language::English},
    {"Japanese locale", {{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
    {"English locale", {{"LANG", "en_GB.UTF-8"}}, Language::English},
    {"any other locale is English", {{"LANG", "de_DE.UTF-8"}}, Language::English},
    {"LC_MESSAGES beats LANG",
     {{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}},
     Language::Japanese},
    {"LC_ALL beats LC_MESSAGES",
     {{"LC_ALL", "en_US"}, {"LC_MESSAGES", "ja_JP"}},
     Language::English},
    {"LANGUAGE counts under C.UTF-8",
     {{"LANG", "C.UTF-8"}, {"LANGUAGE", "ja"}},
     Language::Japanese},
    {"LANGUAGE counts under C.utf8 from LC_ALL",
     {{"LC_ALL", "C.utf8"}, {"LANG", "en_US"}, {"LANGUAGE", "ja_JP"}},
     Language::Japanese},
    {"LANGUAGE ignored under C", {{"LANG", "C"}, {"LANGUAGE", "ja"}}, Language::English},
    {"LANGUAGE ignored with no locale", {{"LANGUAGE", "ja"}}, Language::English},
    {"LANGUAGE ignored when LC_MESSAGES is C",
     {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "C"}, {"LANGUAGE", "ja"}},
     Language::English},
    {"LANGUAGE beats the locale", {{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en"}}, Language::English},
    {"LANGUAGE's first entry we speak",
     {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:ja:en"}},
     Language::Japanese},
    {"English first in LANGUAGE", {{"LANG", "C.UTF-8"}, {"LANGUAGE", "en:ja"}}, Language::English},
    {"LANGUAGE without an entry we speak does not fall back to the locale",
     {{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "fr:de"}},
     Language::English},
    {"a C entry in LANGUAGE ends the list",
     {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "C:ja"}},
     Language::English},
    {"an empty LANGUAGE is unset", {{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", ""}}, Language::Japanese},
    {"NEMORA_LANG forces Japanese",
     {{"LANG", "C.UTF-8"}, {"NEMORA_LANG", "ja"}},
     Language::Japanese},
    {"NEMORA_LANG forces English",
     {{"LANG", "ja_JP.UTF-8"}, {"NEMORA_LANG", "en"}},
     Language::English},
    {"an unknown NEMORA_LANG is ignored",
     {{"LANG", "ja_JP"}, {"NEMORA_LANG", "xx"}},
     Language::Japanese},
};

LanguageChoice::Environment Lookup(const Case& c) {
    return [&c](const char* name) -> std::optional<std::string> {
        const auto found = c.environment.find(name);
        return found == c.environment.end() ? std::nullopt
                                            : std::optional<std::string>(found->second);
    };
}

TEST(LanguageChoiceTest, FollowsTheSwitchThenTheLocale) {
    for (const Case& c : kCases) {
        EXPECT_EQ(LanguageChoice::FromEnvironment(Lookup(c)), c.expected) << c.name;
    }
}

TEST(LanguageChoiceTest, CommandLineReadsTheLocaleAsGettextDoes) {
    for (const Case& c : kCommandLineCases) {
        EXPECT_EQ(LanguageChoice::ForCommandLine(Lookup(c)), c.expected) << c.name;
    }
}

TEST(LanguageChoiceTest, ParsesShortAndLocaleNames) {
    EXPECT_EQ(LanguageChoice::Parse("en"), Language::English);
    EXPECT_EQ(LanguageChoice::Parse("en_GB.UTF-8@euro"), Language::English);
    EXPECT_EQ(LanguageChoice::Parse("ja"), Language::Japanese);
    EXPECT_EQ(LanguageChoice::Parse("ja_JP.eucJP"), Language::Japanese);
    EXPECT_EQ(LanguageChoice::Parse("english"), Language::English);
    for (const char* bad : {"", "e", "eng", "fr", "jp", "EN"})
        EXPECT_EQ(LanguageChoice::Parse(bad), std::nullopt) << bad;
    EXPECT_STREQ(LanguageChoice::Name(Language::English), "en");
    EXPECT_STREQ(LanguageChoice::Name(Language::Japanese), "ja");
}

}  // namespace
}  // namespace nemora::res
