#include <algorithm>
#include <cstdint>
#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "res/StringTable.h"

namespace nemora::res {
namespace {

std::set<std::uint32_t> Ids(Language language) {
    std::set<std::uint32_t> ids;
    for (const StringEntry& entry : StringTable::Entries(language)) ids.insert(entry.id);
    return ids;
}

// What code relies on in a text: its %n markers, its menu accelerator, and
// a file filter's fields.
std::string Shape(const std::string& text) {
    std::multiset<std::string> markers;  // a translation may reorder them
    static const std::regex marker("%[0-9]");
    for (std::sregex_iterator it(text.begin(), text.end(), marker), end; it != end; ++it)
        markers.insert(it->str());
    std::string shape;
    for (const std::string& m : markers) shape += m;
    shape += "|" + std::to_string(std::count(text.begin(), text.end(), '|'));
    shape += text.find('&') != std::string::npos ? "&" : "";
    return shape;
}

TEST(StringTableTest, EnglishHasEveryTextWithTheSameShape) {
    EXPECT_EQ(Ids(Language::English), Ids(Language::Japanese));
    for (const StringEntry& entry : StringTable::Entries(Language::Japanese)) {
        SCOPED_TRACE(entry.id);
        const std::string english = StringTable::Get(entry.id, Language::English);
        EXPECT_FALSE(english.empty());
        EXPECT_EQ(Shape(english), Shape(entry.text));
    }
}

TEST(StringTableTest, NamesThePagesAndCookiesRelyOnAreTheSameInBoth) {
    for (std::uint32_t id : {1031u, 1032u, 1033u, 57344u}) {
        EXPECT_STREQ(StringTable::Get(id, Language::English),
                     StringTable::Get(id, Language::Japanese))
            << id;
    }
}

TEST(StringTableTest, GetAnswersInTheLanguageSet) {
    constexpr std::uint32_t kWrongPassword = 40005;
    EXPECT_EQ(StringTable::CurrentLanguage(), Language::Japanese);
    EXPECT_STREQ(StringTable::Get(kWrongPassword), "パスワードが違います");
    StringTable::SetLanguage(Language::English);
    EXPECT_STREQ(StringTable::Get(kWrongPassword), "Wrong password");
    EXPECT_STREQ(StringTable::Get(kWrongPassword, Language::Japanese), "パスワードが違います");
    StringTable::SetLanguage(Language::Japanese);
    EXPECT_STREQ(StringTable::Get(kWrongPassword), "パスワードが違います");
    EXPECT_STREQ(StringTable::Get(1, Language::English), "");
}

}  // namespace
}  // namespace nemora::res
