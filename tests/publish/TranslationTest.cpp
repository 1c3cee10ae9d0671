// The embed tool's translation files: the English pages are made from the
// Japanese ones with them, and a pair that no longer fits must stop the build.

#include <stdexcept>

#include <gtest/gtest.h>

#include "tools/embed/Translation.h"

namespace nemora::embed {
namespace {

TEST(TranslationTest, ReplacesEachSourceTextInOrder) {
    const std::string page = "<p>こんにちは</p>\n//\t一行目\n//\t二行目\nx = 'はい';\n";
    const std::string pairs =
        "# a comment between pairs\n"
        "- こんにちは\n"
        "+ Hello\n"
        "\n"
        "- //\t一行目\n"
        "- //\t二行目\n"
        "+ //\tOne line\n"
        "+\n"
        "+ //\tand another\n"
        "- 'はい'\n"
        "+ 'yes'\n";
    EXPECT_EQ(Translate(page, pairs, "p.txt"),
              "<p>Hello</p>\n//\tOne line\n\n//\tand another\nx = 'yes';\n");
    EXPECT_EQ(Translate(page, "# nothing to translate\n", "p.txt"), page);
}

TEST(TranslationTest, RefusesPairsThatDoNotFitThePageExactly) {
    struct Case {
        const char* name;
        std::string pairs;
        std::string where;  // the pair's line, as the message names it
    };
    const Case cases[] = {
        {"a source text the page lacks", "- はい\n+ yes\n\n- いいえ\n+ no\n", "p.txt:4:"},
        {"a source text the page holds twice", "- 同じ\n+ same\n", "p.txt:1:"},
        {"twice, overlapping", "- ああ\n+ ah\n", "p.txt:1:"},
        {"a text an earlier pair replaced", "- はい\n+ yes\n- はい\n+ yes\n", "p.txt:3:"},
        {"a line ending its source lines early", "- はい\n\n+ yes\n", "p.txt:2:"},
        {"a source without its translation", "- はい\n", "p.txt:1:"},
        {"a translation without its source", "+ yes\n", "p.txt:1:"},
        {"a line of no kind", "- はい\n+ yes\nno\n", "p.txt:3:"},
        {"no space after the sign", "-はい\n+yes\n", "p.txt:1:"},
    };
    const std::string page = "はい 同じ 同じ あああ";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Translate(page, c.pairs, "p.txt");
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with(c.where)) << e.what();
        }
    }
}

}  // namespace
}  // namespace nemora::embed
