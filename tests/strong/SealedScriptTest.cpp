#include <string>

#include <gtest/gtest.h>

#include "engine/strong/SealedScript.h"
#include "tests/support/TestPages.h"

namespace nemora::engine::strong {
namespace {

std::string Script(std::string_view name, const std::vector<std::uint8_t>& bytes) {
    const auto script = SealedScript(name, bytes.data(), bytes.size());
    EXPECT_TRUE(script.has_value());
    return script.value_or("");
}

TEST(SealedScriptTest, ScriptsHoldNameAndBytesInOneLineAndReadBack) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string_view name;
        std::string_view script;  // empty: not checked whole
    };
    const Case cases[] = {
        {{}, "e", "nemoraSealed(\"e\",\"\");\n"},
        {{0},
         "sz2cu2xjck4f7dz3tpdv2rjfw4",
         "nemoraSealed(\"sz2cu2xjck4f7dz3tpdv2rjfw4\",\"AA==\");\n"},
        {{0xfb, 0xff}, "manifest", "nemoraSealed(\"manifest\",\"+/8=\");\n"},
        {{0, 1, 2}, "abc", "nemoraSealed(\"abc\",\"AAEC\");\n"},
        {test::RandomBytes(100000, 1),
         std::string_view("0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqr"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << ", " << c.bytes.size() << " bytes");
        const std::string script = Script(c.name, c.bytes);
        if (!c.script.empty()) {
            EXPECT_EQ(script, c.script);
        }
        std::string name = "stale";
        std::vector<std::uint8_t> bytes{9};
        ASSERT_EQ(ReadSealedScript(script, name, bytes), Result::Ok);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(bytes, c.bytes);
    }
}

TEST(SealedScriptTest, NamesTheScriptCannotCarryAreRefused) {
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    const std::string_view names[] = {
        "",
        "Abc",
        "a-b",
        "a.js",
        "a\"b",
        "a\\b",
        "\xc3\xa9",
        std::string_view("a\0b", 3),
        std::string_view("0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrs")};
    for (std::string_view name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(SealedScript(name, bytes.data(), bytes.size()).has_value());
        EXPECT_FALSE(IsSealedScriptName(name));
    }
}

// One text for one name and set of bytes: anything else a server or an
// editor might have made of it is refused.
TEST(SealedScriptTest, MalformedScriptsAreRefused) {
    const std::string_view rows[] = {
        "",
        "nemoraSealed(\"abc\",\"AAEC\");",                // no line feed
        "nemoraSealed(\"abc\",\"AAEC\");\r\n",            // CR LF
        "nemoraSealed(\"abc\",\"AAEC\");\n\n",            // a second line
        "nemoraSealed(\"abc\",\"AAEC\");\n//\n",          // and more
        "\xef\xbb\xbfnemoraSealed(\"abc\",\"AAEC\");\n",  // a byte order mark
        " nemoraSealed(\"abc\",\"AAEC\");\n",
        "nemoraSealed (\"abc\",\"AAEC\");\n",
        "nemoraSealed(\"abc\", \"AAEC\");\n",
        "nemoraSealed('abc','AAEC');\n",
        "nemoraSealed(\"abc\",\"AAEC\")\n",
        "nemorasealed(\"abc\",\"AAEC\");\n",
        "window.nemoraSealed(\"abc\",\"AAEC\");\n",
        "nemoraSealed(\"\",\"AAEC\");\n",         // no name
        "nemoraSealed(\"ABC\",\"AAEC\");\n",      // a name it may not carry
        "nemoraSealed(\"a\",\"b\",\"AAEC\");\n",  // three arguments
        "nemoraSealed(\"abc\");\n",
        "nemoraSealed(\"abc\",\"AAE\");\n",  // padding missing
        "nemoraSealed(\"abc\",\"AAE\");\n",
        "nemoraSealed(\"abc\",\"AA=\");\n",
        "nemoraSealed(\"abc\",\"AA===\");\n",
        "nemoraSealed(\"abc\",\"AAF=\");\n",  // leftover bits that are not zero
        "nemoraSealed(\"abc\",\"AB==\");\n",
        "nemoraSealed(\"abc\",\"AA==AAAA\");\n",  // padding inside
        "nemoraSealed(\"abc\",\"AA\nEC\");\n",    // a line break
        "nemoraSealed(\"abc\",\"AA EC\");\n",
        "nemoraSealed(\"abc\",\"AAEC    \");\n",
        "nemoraSealed(\"abc\",\"AA\r\nEC\r\n\");\n",
        "nemoraSealed(\"abc\",\"-_8=\");\n",
        "nemoraSealed(\"abc\",\"T\xfakVNT1JBLJBLUYB\");\n",  // libsodium takes some bytes over 127
        "nemoraSealed(\"abc\",\"AAE\x80\");\n",              // the URL alphabet
        "nemoraSealed(\"abc\",\"AAEC\");\nnemoraSealed(\"abc\",\"AAEC\");\n",
    };
    for (std::string_view row : rows) {
        SCOPED_TRACE(row);
        std::string name = "stale";
        std::vector<std::uint8_t> bytes{9};
        EXPECT_EQ(ReadSealedScript(row, name, bytes), Result::DataCorrupt);
        EXPECT_TRUE(name.empty());
        EXPECT_TRUE(bytes.empty());
    }
}

// What the audit skips as a sealed file's script: one that carries the
// sealed file's header, whatever else the base64 holds is base64 only.
TEST(SealedScriptTest, ASealedFilesScriptIsToldByItsHeader) {
    const auto scriptOf = [](std::vector<std::uint8_t> head, std::size_t rest) {
        head.resize(head.size() + rest, 0x5a);
        return *SealedScript("abc", head.data(), head.size());
    };
    const std::vector<std::uint8_t> header = {'N', 'E', 'M', 'O', 'R', 'A', '-', 'F', 1};
    const std::string whole = scriptOf(header, 40);
    std::string spaced = whole;
    spaced.insert(spaced.size() - 10, " ");
    spaced.erase(spaced.size() - 12, 1);
    std::string oddEnd = whole;
    oddEnd[oddEnd.size() - 6] = '-';
    const struct {
        const char* name;
        std::string script;
        bool sealed;
    } rows[] = {
        {"a sealed file", whole, true},
        {"the header alone", scriptOf(header, 0), true},
        {"another magic", scriptOf({'N', 'E', 'M', 'O', 'R', 'A', '-', 'S', 1}, 40), false},
        {"another version", scriptOf({'N', 'E', 'M', 'O', 'R', 'A', '-', 'F', 2}, 40), false},
        {"shorter than the header", scriptOf({'N', 'E', 'M', 'O', 'R', 'A', '-', 'F'}, 0), false},
        {"clear text", *SealedScript("abc", reinterpret_cast<const std::uint8_t*>("the page"), 8),
         false},
        {"a space after the header", spaced, false},
        {"another alphabet near the end", oddEnd, false},
        {"no line feed", whole.substr(0, whole.size() - 1), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsSealedFileScript(row.script), row.sealed);
    }
}

}  // namespace
}  // namespace nemora::engine::strong
