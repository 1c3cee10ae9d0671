#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "publish/StrongPage.h"
#include "tests/support/TestPages.h"

namespace nemora::publish {
namespace {

class MemoryFile : public engine::OutputFile {
public:
    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    bool Commit() override { return true; }
    std::string text;
};

std::span<const std::uint8_t> Span(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(StrongPageTest, OptionsNeverEndTheirElement) {
    struct Case {
        const char* name;
        std::optional<StrongPage::Remember> remember;
        std::string json;
    };
    const Case cases[] = {
        {"nothing remembered", std::nullopt, R"({"remember":null})"},
        {"a week", StrongPage::Remember{"Key", 7, false},
         R"({"remember":{"keyword":"Key","days":7,"ask":false,"scope":"./"}})"},
        {"a fraction, asking", StrongPage::Remember{"k", 0.0001, true},
         R"({"remember":{"keyword":"k","days":1e-04,"ask":true,"scope":"./"}})"},
        {"unlimited", StrongPage::Remember{"k", -5, false},
         R"({"remember":{"keyword":"k","days":-1,"ask":false,"scope":"./"}})"},
        {"markup and quotes in the keyword",
         StrongPage::Remember{"</script><b>\"&\\\n鍵", 0, false},
         R"({"remember":{"keyword":"\u003c/script\u003e\u003cb\u003e\"\u0026\\\u000a鍵","days":0,"ask":false,"scope":"./"}})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StrongPage::OptionsJson(c.remember), c.json);
    }
}

TEST(StrongPageTest, WritesTheContainerInPiecesThatReadBackWhole) {
    const std::string templ =
        "<label>@NEMORA_PROMPT@</label><script id=\"nemora-options\" "
        "type=\"application/json\">@NEMORA_OPTIONS@</script>\n<script id=\"nemora-data\" "
        "type=\"application/octet-stream\">@NEMORA_DATA@</script>end";
    // Sizes around the writer's pieces of 48 KiB, and the smallest.
    for (const std::size_t size : {1u, 2u, 3u, 49151u, 49152u, 49153u, 200000u}) {
        SCOPED_TRACE(size);
        const std::vector<std::uint8_t> container = test::RandomBytes(size, 7);
        MemoryFile file;
        ASSERT_TRUE(StrongPage::Write(Span(templ), "<b>鍵</b>", res::Language::Japanese,
                                      std::nullopt, container, file));
        EXPECT_TRUE(file.text.starts_with("<label>&#60;b&#62;鍵&#60;/b&#62;</label>"));
        EXPECT_TRUE(file.text.ends_with("</script>end"));
        EXPECT_EQ(StrongPage::ReadContainer(Span(file.text)), container);
    }
    MemoryFile file;
    ASSERT_TRUE(
        StrongPage::Write(Span(templ), "", res::Language::Japanese, std::nullopt, {}, file));
    EXPECT_TRUE(file.text.starts_with("<label>Password</label>")) << "an empty prompt";
}

// The container is read from the element a browser's getElementById finds,
// never from text that only looks like it ("QUJD" is "ABC", "REVG" "DEF").
TEST(StrongPageTest, ReadsTheDataElementTheBrowserFinds) {
    const std::string real =
        "<script id=\"nemora-data\" type=\"application/octet-stream\">QUJD</script>";
    const std::string decoy = "<script id=\"nemora-data\">REVG</script>";
    struct Case {
        const char* name;
        std::string page;
        std::optional<std::string> container;
    };
    const Case cases[] = {
        {"the element alone", real, "ABC"},
        {"a commented-out decoy before it", "<!-- <p>old:</p> " + decoy + " -->\n" + real, "ABC"},
        {"a comment that ends at once", "<!-->" + real + "<!-- -->", "ABC"},
        {"a decoy in another script's text",
         "<script>var old = '" + decoy.substr(0, decoy.size() - 9) + "<\\/script>';</script>" +
             real,
         "ABC"},
        {"a decoy in a textarea", "<textarea>" + decoy + "</textarea>" + real, "ABC"},
        {"a decoy in a style element", "<STYLE>/* " + decoy + " */</STYLE >" + real, "ABC"},
        {"a decoy in an attribute's value", "<div title='" + decoy + "'></div>" + real, "ABC"},
        {"a decoy in a template's contents",
         "<template><template></template>" + decoy + "</template>" + real, "ABC"},
        {"another id first", "<script id=\"nemora-data-old\">REVG</script>" + real, "ABC"},
        {"its attributes in another order, case and quoting",
         "<SCRIPT type=application/octet-stream ID='nemora-data' id=\"other\">QUJD</SCRIPT>",
         "ABC"},
        {"the first element with the id is no script", "<div id=\"nemora-data\">QUJD</div>" + real,
         std::nullopt},
        {"an id written with a character reference",
         "<script id=\"nemora&#45;data\">REVG</script>" + real, std::nullopt},
        {"the element inside a comment that never ends", "<!-- <p>old:</p> " + real, std::nullopt},
        {"the element inside a script that never ends", "<script>" + real, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto container = StrongPage::ReadContainer(Span(c.page));
        EXPECT_EQ(container.has_value(), c.container.has_value());
        if (container && c.container) {
            EXPECT_EQ(std::string(container->begin(), container->end()), *c.container);
        }
    }
}

TEST(StrongPageTest, RefusesTemplatesAndPagesItCannotUse) {
    MemoryFile file;
    EXPECT_FALSE(StrongPage::Write(Span("@NEMORA_PROMPT@ @NEMORA_DATA@"), "p",
                                   res::Language::Japanese, std::nullopt, {}, file));
    EXPECT_FALSE(StrongPage::Write(Span("@NEMORA_DATA@ @NEMORA_OPTIONS@ @NEMORA_PROMPT@"), "p",
                                   res::Language::Japanese, std::nullopt, {}, file));
    for (const std::string_view page :
         {"<html>no data here</html>", "<script id=\"nemora-data\">QUJD",
          "<script id=\"nemora-data\">not*base64</script>"}) {
        SCOPED_TRACE(page);
        EXPECT_FALSE(StrongPage::ReadContainer(Span(page)));
    }
}

}  // namespace
}  // namespace nemora::publish
