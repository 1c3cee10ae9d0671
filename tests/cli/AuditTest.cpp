// `nemora-cli audit` on small published sites, each with one leak planted
// in a file that a visitor without the password can read.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "publish/TextCodec.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace nemora::test {
namespace {

namespace fs = std::filesystem;

const std::string kCli = NEMORA_CLI_PATH;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

const std::string kSecret =
    "Only members may read this: the quarterly figures show a loss of four million in the "
    "northern branch.";
const std::string kJapanese =
    "会員だけが読める文章です。来年度の予算は大幅に削減される予定であり、詳細は後日お知らせします"
    "。";

class AuditTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string site = dir.File("site");
    std::string out = dir.File("out");

    ProcessResult Cli(std::vector<std::string> args, const std::string& password = {}) {
        args.insert(args.begin(), kCli);
        ProcessOptions options;
        options.env["NEMORA_LANG"] = "en";
        if (!password.empty()) options.env["NEMORA_PASSWORD"] = password;
        return RunProcess(args, options);
    }

    // A site of two pages (one in Shift_JIS) with a source file and a
    // search index that hold nothing of theirs, locked into `out`.
    void SetUp() override {
        fs::create_directories(fs::path(site) / "docs");
        dir.Write("site/index.html",
                  Bytes("<html><head><title>Members</title>"
                        "<script>var menu = 'scripts are not the page text anyone reads';"
                        "</script></head><body><!-- a comment that is no part of the text "
                        "readers see --><p>" +
                        kSecret + "</p></body></html>"));
        const std::string japanese = *publish::TextCodec::ToCp932(
            "<html><head><meta charset=\"shift_jis\"></head><body><p>" + kJapanese +
                "</p></body></html>",
            publish::TextCodec::Unmappable::Refuse);
        dir.Write("site/docs/ja.html", Bytes(japanese));
        dir.Write("site/docs/notes.txt", Bytes("Public notes: opening hours are nine to five."));
        dir.Write("site/search.json", Bytes("{\"terms\": {\"members\": [0]}}"));
        const ProcessResult lock =
            Cli({"lock", "-r", site, "-o", out, "-q", "--kdf-memory", "19", "--kdf-passes", "2"},
                "a long enough password");
        ASSERT_EQ(lock.status, 0) << lock.err;
    }
};

TEST_F(AuditTest, ACleanSiteSaysSoInOneLine) {
    const ProcessResult result = Cli({"audit", out, "--against", site});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, out +
                              ": Clean: no file readable without the password holds text of "
                              "the protected pages (2 pages)\n");
}

// Each row plants one file into the published folder.
TEST_F(AuditTest, FindsAPlantedLeakInEveryKindOfPublicFile) {
    const struct {
        const char* name;
        const char* file;
        std::string content;
        bool gzip;
        const char* page;  // nullptr: no finding
        std::string fragment;
    } cases[] = {
        {"source text", "_sources/index.txt",
         "Members\n=======\n\nthe quarterly figures show a loss of four million in the\nnorthern "
         "branch",
         false, "index.html",
         "the quarterly figures show a loss of four million in the northern branch"},
        {"compressed page", "old/changelog.html.gz",
         "<p>Only <em>members</em> may read this: the quarterly figures</p>", true, "index.html",
         "Only members may read this: the quarterly figures"},
        {"search index", "searchindex.js",
         "Search.setIndex({\"docs\": [\"only members may read this: the \\u0071uarterly "
         "figures\"]})",
         false, "index.html", "only members may read this: the quarterly figures"},
        {"sitemap", "sitemap.xml",
         "<urlset><url><loc>/a</loc><news:title>the quarterly figures show a loss of four "
         "million &amp; more</news:title></url></urlset>",
         false, "index.html", "the quarterly figures show a loss of four million"},
        {"feed", "feed.rss",
         "<rss><item><description>&lt;p&gt;figures show a loss of four million in the northern "
         "branch&lt;/p&gt;</description></item></rss>",
         false, "index.html", "figures show a loss of four million in the northern branch"},
        {"open graph", "public.html",
         "<html><head><meta property=\"og:description\" content=\"Only members may read this: "
         "the quarterly figures show\"></head><body>Welcome</body></html>",
         false, "index.html", "Only members may read this: the quarterly figures show"},
        {"Japanese", "docs/summary.txt", "要約: 来年度の予算は大幅に削減される予定であり、", false,
         "docs/ja.html", "来年度の予算は大幅に削減される予定であり"},
        {"shaped like a sealed file's script", "nemora-sealed/ab/abc.js",
         "nemoraSealed(\"abc\",\"QUJD\"); // the quarterly figures show a loss of four million",
         false, "index.html", "the quarterly figures show a loss of four million"},
        {"seven words only", "quote.txt", "the quarterly figures show a loss of.", false, nullptr,
         ""},
        {"a script's text", "copy.txt", "scripts are not the page text anyone reads, said one",
         false, nullptr, ""},
        {"a comment's text", "copy2.txt", "a comment that is no part of the text readers see",
         false, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path planted = fs::path(out) / c.file;
        fs::create_directories(planted.parent_path());
        const std::string plain =
            c.gzip ? planted.string().substr(0, planted.string().size() - 3) : planted.string();
        { std::ofstream(plain, std::ios::binary) << c.content; }
        if (c.gzip) {
            ASSERT_EQ(RunProcess({"/bin/gzip", "-n", plain}).status, 0);
        }
        const ProcessResult result = Cli({"audit", out, "--against", site});
        if (c.page == nullptr) {
            EXPECT_EQ(result.status, 0) << result.out;
        } else {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, out + "/" + c.file + ": Holds text of the protected page " +
                                      c.page + ": " + c.fragment + "\n");
        }
        fs::remove(planted);
    }
}

// A footer that stands in most pages is the site's frame; a page's own
// text beside it is still found.
TEST_F(AuditTest, TheSiteFrameIsNoFinding) {
    const std::string footer =
        "<footer>Copyright the members club, all rights reserved, "
        "write to the secretary for more.</footer>";
    for (const char* name : {"a", "b", "c", "d"}) {
        dir.Write(std::string("site/frame-") + name + ".html",
                  Bytes(std::string("<p>Page ") + name +
                        " holds its very own words that no other page here has.</p>" + footer));
    }
    fs::remove_all(out);
    ASSERT_EQ(Cli({"lock", "-r", site, "-o", out, "-q", "--kdf-memory", "19", "--kdf-passes", "2"},
                  "a long enough password")
                  .status,
              0);
    dir.Write("out/about.txt", Bytes("Copyright the members club, all rights reserved, write to "
                                     "the secretary."));
    EXPECT_EQ(Cli({"audit", out, "--against", site}).status, 0);
    dir.Write("out/about.txt", Bytes("Page c holds its very own words that no other page"));
    const ProcessResult result = Cli({"audit", out, "--against", site});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("frame-c.html"), std::string::npos) << result.out;
}

// Without --against the password opens the folder's own pages: a strong
// page's container, a classic page's data file.
TEST_F(AuditTest, ThePasswordOpensTheProtectedPagesFromTheFolder) {
    dir.Write("site/docs/notes.txt", Bytes("Copied: the quarterly figures show a loss of four"));
    for (const bool classic : {false, true}) {
        SCOPED_TRACE(classic ? "classic" : "strong");
        fs::remove_all(out);
        std::vector<std::string> lock = {"lock", "-r", site, "-o", out, "-q"};
        // The strong form seals every file it is not told to leave public.
        const std::vector<std::string> form =
            classic ? std::vector<std::string>{"--classic"}
                    : std::vector<std::string>{
                          "--kdf-memory", "19", "--kdf-passes", "2", "--public", "docs/notes.txt"};
        lock.insert(lock.end(), form.begin(), form.end());
        ASSERT_EQ(Cli(lock, "a long enough password").status, 0);
        const ProcessResult found = Cli({"audit", out}, "a long enough password");
        EXPECT_EQ(found.status, 1) << found.err;
        EXPECT_EQ(found.out, out +
                                 "/docs/notes.txt: Holds text of the protected page index.html: "
                                 "the quarterly figures show a loss of four\n");
        const ProcessResult wrong = Cli({"audit", out}, "not the password at all");
        EXPECT_EQ(wrong.status, 6);
        EXPECT_EQ(wrong.out, "");
        EXPECT_EQ(wrong.err, out + ": The password opens none of the protected pages\n");
    }
}

// A sealed site with nothing public holds nothing to find; the password is
// still checked.
TEST_F(AuditTest, ASealedSiteWithNothingPublicIsCleanForThePasswordAlone) {
    dir.Write("site/docs/notes.txt", Bytes("Copied: the quarterly figures show a loss of four"));
    fs::remove_all(out);
    ASSERT_EQ(Cli({"lock", "-r", site, "-o", out, "-q", "--kdf-memory", "19", "--kdf-passes", "2"},
                  "a long enough password")
                  .status,
              0);
    const ProcessResult clean = Cli({"audit", out}, "a long enough password");
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.out, out +
                             ": Clean: no file readable without the password holds text of the "
                             "protected pages (2 pages)\n");
    const ProcessResult wrong = Cli({"audit", out}, "not the password at all");
    EXPECT_EQ(wrong.status, 6);
    EXPECT_EQ(wrong.err, out + ": The password opens none of the protected pages\n");
}

// `lock -r` ends with the audit of what it has just written; a leak is the
// author's to read and leaves the run's status as the publication's.
TEST_F(AuditTest, ASiteRunEndsWithTheAudit) {
    auto lastLine = [](const std::string& text) {
        const std::size_t start = text.rfind('\n', text.size() - 2);
        return text.substr(start == std::string::npos ? 0 : start + 1);
    };
    fs::remove_all(out);
    const ProcessResult clean =
        Cli({"lock", "-r", site, "-o", out, "--kdf-memory", "19", "--kdf-passes", "2"},
            "a long enough password");
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(lastLine(clean.out), out +
                                       ": Clean: no file readable without the password holds "
                                       "text of the protected pages (2 pages)\n");
    // The classic form copies the other files in clear, this one too.
    dir.Write("site/docs/notes.txt", Bytes("Copied: the quarterly figures show a loss of four"));
    fs::remove_all(out);
    const ProcessResult leak =
        Cli({"lock", "-r", site, "-o", out, "-q", "--classic"}, "a long enough password");
    EXPECT_EQ(leak.status, 0) << leak.err;
    EXPECT_EQ(lastLine(leak.out), out +
                                      "/docs/notes.txt: Holds text of the protected page "
                                      "index.html: the quarterly figures show a loss of four\n");
}

// A search index holds every page's words but no run of them: found when
// it holds most of the words that stand in one page alone, for many pages
// at once; a file on one page's subject is no index.
TEST_F(AuditTest, AWordIndexOfManyPagesIsFound) {
    // Page p's own words: "p0w0term", "p0w1term"...
    auto word = [](int page, int n) {
        return "p" + std::to_string(page) + "w" + std::to_string(n) + "term";
    };
    constexpr int kPages = 4;
    constexpr int kOwnWords = 24;
    for (int page = 0; page < kPages; ++page) {
        std::string text = "<p>Shared words of the club:";
        for (int n = 0; n < kOwnWords; ++n) text += " " + word(page, n);
        dir.Write("site/w" + std::to_string(page) + ".html", Bytes(text + ".</p>"));
    }
    fs::remove_all(out);
    ASSERT_EQ(Cli({"lock", "-r", site, "-o", out, "-q", "--kdf-memory", "19", "--kdf-passes", "2"},
                  "a long enough password")
                  .status,
              0);
    // An index: each word with the pages that hold it, the words of
    // `pages` pages, `share` of each page's own words.
    auto index = [&](int pages, int ownWords) {
        std::string json = "Search.setIndex({\"terms\":{";
        for (int page = 0; page < pages; ++page)
            for (int n = 0; n < ownWords; ++n)
                json += "\"" + word(page, n) + "\":" + std::to_string(page + 2) + ",";
        return json + "\"club\":[2,3,4,5]}})";
    };
    const struct {
        const char* name;
        std::string content;
        int findings;
    } cases[] = {
        {"an index of every page", index(kPages, kOwnWords), kPages},
        {"half of each page's words", index(kPages, kOwnWords / 2), kPages},
        {"one page's words", index(1, kOwnWords), 0},
        {"fewer than half of each page's words", index(kPages, kOwnWords / 2 - 1), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("out/searchindex.js", Bytes(c.content));
        const ProcessResult result = Cli({"audit", out, "--against", site});
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = result.out.find("a word index", at)) != std::string::npos;
             ++at)
            ++lines;
        EXPECT_EQ(lines, static_cast<std::size_t>(c.findings)) << result.out;
        EXPECT_EQ(result.status, c.findings > 0 ? 1 : 0) << result.out;
    }
    dir.Write("out/searchindex.js", Bytes(index(kPages, kOwnWords)));
    const ProcessResult result = Cli({"audit", out, "--against", site});
    EXPECT_NE(result.out.find(out + "/searchindex.js: Holds the words of the protected page "
                                    "w2.html (24 of the 24 words found in that page alone: a "
                                    "word index): p2w0term p2w1term p2w2term p2w3term p2w4term "
                                    "p2w5term p2w6term p2w7term\n"),
              std::string::npos)
        << result.out;
}

TEST_F(AuditTest, AFolderNotPublishedHereIsRefused) {
    const ProcessResult result = Cli({"audit", site, "--against", site});
    EXPECT_EQ(result.status, 9);
    EXPECT_EQ(result.err,
              site + ": Not a site published by this program (no protected page in it)\n");
    EXPECT_EQ(Cli({"audit", dir.File("missing"), "--against", site}).status, 9);
}

}  // namespace
}  // namespace nemora::test
