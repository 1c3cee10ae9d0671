#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "publish/EncodingLabels.h"
#include "publish/EncodingSniffer.h"
#include "publish/PageEncoding.h"
#include "tests/support/TestPages.h"

namespace nemora::publish {
namespace {

using test::Bytes;

std::string Text(std::optional<std::string_view> name) {
    return name ? std::string(*name) : "(nothing)";
}

// Labels from the Encoding Standard's table, as browsers resolve them.
TEST(EncodingLabelsTest, LabelsResolveAsBrowsersResolveThem) {
    const struct {
        std::string_view label;
        const char* canonical;
    } cases[] = {
        {"utf-8", "utf-8"},
        {" UTF8\t", "utf-8"},
        {"unicode-1-1-utf-8", "utf-8"},
        {"X-SJIS", "shift_jis"},
        {"ms_kanji", "shift_jis"},
        {"csshiftjis", "shift_jis"},
        {"Windows-31J", "shift_jis"},
        {"EUC-JP", "euc-jp"},
        {"cseucpkdfmtjapanese", "euc-jp"},
        {"csiso2022jp", "iso-2022-jp"},
        {"latin1", "windows-1252"},
        {"iso-8859-1", "windows-1252"},
        {"us-ascii", "windows-1252"},
        {"koi8_r", "koi8-r"},
        {"utf-16", "utf-16le"},
        {"iso-2022-kr", "replacement"},
        {"x-user-defined", "x-user-defined"},
        {"bogus-enc", "(nothing)"},
        {"", "(nothing)"},
        {"utf-8 utf8", "(nothing)"},
        {"utf-8;", "(nothing)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.label));
        EXPECT_EQ(Text(EncodingLabels::Canonical(c.label)), c.canonical);
    }
}

// The classic decoders read five names; the strong form's TextDecoder any
// label but those of encodings browsers refuse to decode.
TEST(EncodingLabelsTest, EachFormRecordsTheNameItsDecodersRead) {
    const struct {
        std::string_view label;
        const char* classic;
        const char* strong;
    } cases[] = {
        {"utf-8", "UTF8", "utf-8"},
        {"UTF8", "UTF8", "utf-8"},
        {"Shift_JIS", "shift_jis", "shift_jis"},
        {"euc-jp", "cseucpkdfmtjapanese", "euc-jp"},
        {"cseucpkdfmtjapanese", "cseucpkdfmtjapanese", "euc-jp"},
        {"ISO-2022-JP", "iso-2022-jp", "iso-2022-jp"},
        {"iso-8859-1", "iso-8859-1", "windows-1252"},
        {"windows-1252", "iso-8859-1", "windows-1252"},
        {"koi8-r", "(nothing)", "koi8-r"},
        {"gb2312", "(nothing)", "gbk"},
        {"utf-16le", "(nothing)", "utf-16le"},
        {"iso-2022-kr", "(nothing)", "(nothing)"},
        {"日本", "(nothing)", "(nothing)"},
        {"bogus-enc", "(nothing)", "(nothing)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.label));
        EXPECT_EQ(Text(EncodingLabels::ForForm(c.label, false)), c.classic);
        EXPECT_EQ(Text(EncodingLabels::ForForm(c.label, true)), c.strong);
    }
}

// The pages a browser reads, and the encoding its prescan finds in each.
TEST(EncodingSnifferTest, FindsWhatABrowserFinds) {
    const std::string padding(1100, ' ');
    const std::string sjis = "<p>\x93\xfa\x96\x7b\x8c\xea</p>";  // 日本語 in Shift_JIS
    const struct {
        const char* name;
        std::string page;
        const char* found;
    } cases[] = {
        {"meta charset", "<meta charset=\"utf-8\">", "utf-8"},
        {"upper case, no quotes", "<HTML><HEAD><META CHARSET=UTF-8>", "utf-8"},
        {"single quotes, alias", "<meta charset='x-sjis'>", "shift_jis"},
        {"alias utf8", "<meta charset=\"utf8\">", "utf-8"},
        {"after other tags and attributes",
         "<!DOCTYPE html><html lang=\"en\"><head><title>t</title><meta name=x charset=latin1>",
         "windows-1252"},
        {"a slash before the attributes", "<meta/charset=euc-jp>", "euc-jp"},
        {"http-equiv, then content",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">", "euc-jp"},
        {"content, then http-equiv, in any case",
         "<META CONTENT='text/html;charset=ms_kanji' HTTP-EQUIV=content-type>", "shift_jis"},
        {"a quoted charset in content",
         "<meta http-equiv=content-type content='text/html; charset=\"utf8\"'>", "utf-8"},
        {"charset after blanks and a stray word",
         "<meta http-equiv=content-type content=\"charsetx; charset = iso-2022-jp\">",
         "iso-2022-jp"},
        {"content without http-equiv", "<meta content=\"text/html; charset=utf-8\">", "(nothing)"},
        {"http-equiv without a charset", "<meta http-equiv=\"Content-Type\" content=\"text/html\">",
         "(nothing)"},
        {"an unknown charset skips its meta", "<meta charset=bogus><meta charset=\"shift_jis\">",
         "shift_jis"},
        {"an unknown charset is not replaced by its content",
         "<meta charset=bogus http-equiv=content-type content=\"charset=utf-8\">", "(nothing)"},
        {"the first of two charset attributes", "<meta charset=\"euc-jp\" charset=\"utf-8\">",
         "euc-jp"},
        {"UTF-16 declared is UTF-8", "<meta charset=\"utf-16le\">", "utf-8"},
        {"x-user-defined declared is windows-1252", "<meta charset=x-user-defined>",
         "windows-1252"},
        {"an encoding the classic decoders lack", "<meta charset=\"koi8-r\">", "koi8-r"},
        {"an encoding browsers refuse to decode", "<meta charset=\"iso-2022-kr\">", "replacement"},
        {"inside a comment", "<!-- <meta charset=\"euc-jp\"> --><meta charset=\"latin1\">",
         "windows-1252"},
        {"a comment that ends at once", "<!--><meta charset=\"euc-jp\">", "euc-jp"},
        {"a '>' inside a comment", "<!-- a > b <meta charset=\"euc-jp\"> --><p>", "(nothing)"},
        {"an unclosed comment", "<!-- a > <meta charset=\"euc-jp\">", "(nothing)"},
        {"inside another tag's attribute", "<div title=\"<meta charset=euc-jp>\">", "(nothing)"},
        {"inside a processing instruction", "<? <meta charset=euc-jp> ?>", "(nothing)"},
        {"<metadata> is no meta", "<metadata charset=euc-jp>", "(nothing)"},
        {"after 1024 bytes", padding + "<meta charset=\"euc-jp\">", "(nothing)"},
        {"cut off at 1024 bytes", std::string(1010, ' ') + "<meta charset=\"euc-jp\">",
         "(nothing)"},
        {"an XML declaration", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><html>",
         "windows-1252"},
        {"an XML declaration naming UTF-16", "<?xml version='1.0' encoding='utf-16'?>", "utf-8"},
        {"a meta wins over the XML declaration",
         "<?xml version=\"1.0\" encoding=\"euc-jp\"?><meta charset=utf-8>", "utf-8"},
        {"an XML declaration not at the start", " <?xml version=\"1.0\" encoding=\"euc-jp\"?>",
         "(nothing)"},
        {"a byte order mark wins", "\xEF\xBB\xBF<meta charset=\"shift_jis\">", "utf-8"},
        {"UTF-16LE by its mark", "\xFF\xFE\xE5\x65\x2C\x67", "utf-16le"},
        {"UTF-16BE by its mark", "\xFE\xFF\x65\xE5\x67\x2C", "utf-16be"},
        {"none, in UTF-8", "<p>caf\xC3\xA9 \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC</p>", "utf-8"},
        {"none, in UTF-8 past 1024 bytes", padding + "\xC2\xB6", "utf-8"},
        {"none, in Shift_JIS", sjis, "(nothing)"},
        {"none, plain ASCII", "<html><body>plain</body></html>", "(nothing)"},
        {"none, an overlong UTF-8 form", "a\xC0\xAF", "(nothing)"},
        {"none, a UTF-8 surrogate", "a\xED\xA0\x80", "(nothing)"},
        {"none, beyond U+10FFFF", "a\xF4\x90\x80\x80", "(nothing)"},
        {"none, UTF-8 cut short", "a\xE6\x97", "(nothing)"},
        {"none, UTF-8 then one Shift_JIS character", "\xC3\xA9" + padding + sjis, "(nothing)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Text(EncodingSniffer::Sniff(Bytes(c.page))), c.found);
    }
}

TEST(PageEncodingTest, ThePageGetsItsOwnNameForTheFormOrIsRefused) {
    using engine::Result;
    const struct {
        const char* name;
        std::string page;
        std::optional<std::string> given;
        bool strong;
        Result result;
        const char* recorded;
        const char* found;
    } cases[] = {
        {"UTF-8, classic", "<meta charset=utf-8>", {}, false, Result::Ok, "UTF8", "utf-8"},
        {"UTF-8, strong", "<meta charset=utf-8>", {}, true, Result::Ok, "utf-8", "utf-8"},
        {"EUC-JP, classic",
         "<meta charset=euc-jp>",
         {},
         false,
         Result::Ok,
         "cseucpkdfmtjapanese",
         "euc-jp"},
        {"windows-1252, classic",
         "<meta charset=windows-1252>",
         {},
         false,
         Result::Ok,
         "iso-8859-1",
         "windows-1252"},
        {"KOI8-R, classic",
         "<meta charset=koi8-r>",
         {},
         false,
         Result::EncodingNotClassic,
         "",
         "koi8-r"},
        {"KOI8-R, strong", "<meta charset=koi8-r>", {}, true, Result::Ok, "koi8-r", "koi8-r"},
        {"refused by browsers, strong",
         "<meta charset=hz-gb-2312>",
         {},
         true,
         Result::EncodingUnreadable,
         "",
         "replacement"},
        {"refused by browsers, classic",
         "<meta charset=hz-gb-2312>",
         {},
         false,
         Result::EncodingUnreadable,
         "",
         "replacement"},
        {"nothing told, classic", "<p>plain</p>", {}, false, Result::Ok, "shift_jis", ""},
        {"nothing told, strong", "<p>plain</p>", {}, true, Result::Ok, "shift_jis", ""},
        {"a given name wins", "<meta charset=koi8-r>", "UTF8", false, Result::Ok, "UTF8", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PageEncoding::Named named = PageEncoding::Of(Bytes(c.page), c.given, c.strong);
        EXPECT_EQ(named.result, c.result);
        EXPECT_EQ(named.name, c.recorded);
        EXPECT_EQ(named.found, c.found);
    }
}

// The window's name serves either form: the classic one where there is one.
TEST(PageEncodingTest, TheWindowTakesTheClassicNameWhereThereIsOne) {
    const struct {
        const char* page;
        const char* name;
    } cases[] = {
        {"<p>\xE6\x97\xA5</p>", "UTF8"},     {"<meta charset=latin1>", "iso-8859-1"},
        {"<meta charset=koi8-r>", "koi8-r"}, {"<meta charset=iso-2022-kr>", "(nothing)"},
        {"<p>plain</p>", "(nothing)"},       {"<p>\x93\xfa</p>", "(nothing)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const std::optional<std::string> name = PageEncoding::ForWindow(Bytes(c.page));
        EXPECT_EQ(name.value_or("(nothing)"), c.name);
    }
}

}  // namespace
}  // namespace nemora::publish
