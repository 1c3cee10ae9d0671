#include <algorithm>
#include <cstdint>
#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "engine/TextId.h"
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
    using engine::TextId;
    for (TextId id : {TextId::CookieKeyText, TextId::FallbackWindowName, TextId::FallbackPrompt,
                      TextId::ApplicationName}) {
        EXPECT_STREQ(StringTable::Get(id, Language::English),
                     StringTable::Get(id, Language::Japanese))
            << engine::StringId(id);
    }
}

// The ids' names come from the same lines as the texts: each name leads to
// its own line's text, and no text keeps the name column.
TEST(StringTableTest, EachNameLeadsToItsOwnText) {
    using engine::TextId;
    const struct {
        TextId id;
        std::uint32_t number;
        const char* text;
    } rows[] = {
        {TextId::AboutMenu, 101, "VostelNemora のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
        {TextId::PromptText, 1030, "パスワードを入力して下さい。"},
        {TextId::FallbackPrompt, 1033, "Password"},
        {TextId::ReadFailed, 2001, "ファイルの読込みに失敗しました"},
        {TextId::SiteSummary, 42400,
         "ページ %1 件中 %2 件を公開、ほかのファイル %3 件をコピー、サイトの外から %7 件、"
         "飛ばしたもの %8 件、失敗 %9 件、入力 %4、出力 %5、%6 秒"},
        {TextId::ApplicationName, 57344, "Nemora"},
        {TextId::FileDiskFull, 61869, "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        EXPECT_EQ(engine::StringId(row.id), row.number);
        EXPECT_STREQ(StringTable::Get(row.id, Language::Japanese), row.text);
    }
    for (Language language : {Language::Japanese, Language::English}) {
        for (const StringEntry& entry : StringTable::Entries(language)) {
            SCOPED_TRACE(entry.id);
            EXPECT_EQ(std::string(entry.text).find('\t'), std::string::npos);
        }
    }
}

TEST(StringTableTest, GetAnswersInTheLanguageSet) {
    constexpr engine::TextId kWrongPassword = engine::TextId::WrongPassword;
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
