#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "publish/TemplateExpander.h"

namespace nemora::publish {
namespace {

// Collects what the expander writes, and how many writes it made.
class MemoryOutput : public engine::OutputFile {
public:
    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        ++writes;
        if (failAt != 0 && writes == failAt) return false;
        text.append(reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    bool Commit() override { return true; }

    std::string text;
    std::size_t writes = 0;
    std::size_t failAt = 0;
};

TemplateValues Values() {
    TemplateValues v;
    v.dataFile = "page.zvk";
    v.prompt = "P";
    v.cookieKey = "K";
    v.keepDays = "7";
    v.askSaveCookie = "false";
    v.cookieOn = true;
    v.windowName = [] { return std::string("W"); };
    return v;
}

std::string Expand(const std::string& templ, bool comment, bool valuesActive,
                   const TemplateValues& values = Values()) {
    MemoryOutput out;
    const std::vector<std::uint8_t> bytes(templ.begin(), templ.end());
    EXPECT_TRUE(TemplateExpander::Expand(
        bytes, values,
        comment ? TemplateExpander::Comments::Keep : TemplateExpander::Comments::Drop,
        valuesActive ? TemplateExpander::ValueMarkers::Active
                     : TemplateExpander::ValueMarkers::Inactive,
        out));
    return out.text;
}

TEST(TemplateExpanderTest, MarkersInTheLoaderTemplate) {
    const std::pair<const char*, const char*> cases[] = {
        {"$$", "$"},          {"$x", "$x"},
        {"$$0", "$0"},        {"%%", "%"},
        {"%9", "%9"},         {"%%0", "%0"},
        {"$%0", "$page.zvk"}, {"a$", "a$"},
        {"a%", "a%"},         {"%0%1%2%3%4%5", "page.zvkPK7falseW"},
        {"100%%", "100%"},    {"x\r\ny", "x\r\ny"},
    };
    for (const auto& [templ, out] : cases) EXPECT_EQ(Expand(templ, true, true), out) << templ;
}

TEST(TemplateExpanderTest, CommentBlocksAreKeptOrCut) {
    const std::string templ = "a$0<comment %0>$1b$0more$1c";
    EXPECT_EQ(Expand(templ, true, true), "a<comment page.zvk>bmorec");
    EXPECT_EQ(Expand(templ, false, true), "abc");
    // "$$" inside a cut block is cut with it; "$1" without "$0" changes nothing.
    EXPECT_EQ(Expand("x$0$$ %% $1y$1z", false, true), "xyz");
}

TEST(TemplateExpanderTest, ValuesAreInertInTheDecoderTemplate) {
    EXPECT_EQ(Expand("WIDTH=\"100%\" %0 %%", true, false), "WIDTH=\"100%\" %0 %%");
    EXPECT_EQ(Expand("a$0b$1c$$", false, false), "ac$");
}

TEST(TemplateExpanderTest, CookieKeywordIsLeftOutWhenCookiesAreOff) {
    TemplateValues values = Values();
    values.cookieOn = false;
    EXPECT_EQ(Expand("[%2]", true, true, values), "[]");
}

TEST(TemplateExpanderTest, EachRunAndValueIsOneWriteAndAFailureStops) {
    MemoryOutput out;
    const std::string templ = "abc%0def$0ghi$1jkl";
    const std::vector<std::uint8_t> bytes(templ.begin(), templ.end());
    ASSERT_TRUE(TemplateExpander::Expand(bytes, Values(), TemplateExpander::Comments::Keep,
                                         TemplateExpander::ValueMarkers::Active, out));
    EXPECT_EQ(out.writes, 5u);  // abc, value, def, ghi, jkl

    MemoryOutput failing;
    failing.failAt = 2;
    EXPECT_FALSE(TemplateExpander::Expand(bytes, Values(), TemplateExpander::Comments::Keep,
                                          TemplateExpander::ValueMarkers::Active, failing));
    EXPECT_EQ(failing.writes, 2u) << "nothing is written after a failed write";
}

}  // namespace
}  // namespace nemora::publish
