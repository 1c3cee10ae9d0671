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

TEST(LanguageChoiceTest, FollowsTheSwitchThenTheLocale) {
    for (const Case& c : kCases) {
        const auto lookup = [&c](const char* name) -> std::optional<std::string> {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? std::nullopt
                                                : std::optional<std::string>(found->second);
        };
        EXPECT_EQ(LanguageChoice::FromEnvironment(lookup), c.expected) << c.name;
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
